// The maker's endpoints, reached from the About dialog.
#pragma once

// The product's web page, opened in a new browser window.
constexpr char kProductWebPage[] = "https://nivarel.example.com/";
// A new message to the maker in the user's mail program.
constexpr char kMakerMailLink[] = "mailto:nivarel@orrinvale.example?subject=Nivarel";
