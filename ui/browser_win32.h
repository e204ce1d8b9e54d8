// Opening a web address in a new window of the user's browser.
#pragma once

// `commandText` is "-new " followed by the address; the address is used in
// lower case.  The browser registered for http addresses is started directly
// (see ui/browser_command.h).  True when the program was started; a failed
// start is not reported to the user.
bool OpenInBrowser(const char* commandText);
