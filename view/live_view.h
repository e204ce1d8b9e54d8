// The live view: the seven numbers the scene is drawn from every frame.
// Steered by the keyboard control and copied to and from module presets.
#pragma once

extern float g_fDepth;  // distance of the scene centre in front of the eye (GL units)
extern float g_fHorz;   // horizontal offset of the scene (GL units)
extern float g_fVert;   // vertical offset of the scene (GL units)
extern float g_fXrot;   // turn of the sphere about x (degrees)
extern float g_fYrot;   // turn of the sphere about y (degrees)
extern float g_fZrot;   // turn of the sphere about z (degrees)
extern float g_fSpeed;  // spin units added per frame (one unit is 0.08 degree)

// The speed range that loading and the keys keep g_fSpeed and every stored
// speed inside.
constexpr float kMinSpeed = 0.0625f;
constexpr float kMaxSpeed = 10.0f;

inline float ClampSpeed(float speed) {
  if (speed < kMinSpeed) return kMinSpeed;
  if (speed > kMaxSpeed) return kMaxSpeed;
  return speed;
}
