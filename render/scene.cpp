#include "render/scene.h"

#include <cmath>

#include "image/image_buffer.h"
#include "render/gl_api.h"
#include "render/gl_surface.h"
#include "view/live_view.h"
#include "view/module_table.h"
#include "view/run_state.h"

float g_fSpinAngle = 0.0f;
float g_fSpinStep = 0.0f;
int g_nSpinFrames = 0;
bool g_bBuildBackdropList = true;
unsigned g_nBackdropList = 0;

namespace {

constexpr double kSphereRadius = 28.35;
constexpr int kSphereSlices = 32;
constexpr int kSphereStacks = 32;
constexpr float kSphereStartTurn = 120.0f;            // degrees about the upright axis at spin 0
constexpr float kBackdropHalfSide = 10.0f * 3.35f;    // 33.5: the backdrop is 67 units square
constexpr double kPreviewSlowdown = 1.1;              // the settings preview spins this much slower
constexpr int kWorldModule = 1;                       // the module whose flag switches the world on

void ClearBuffers() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

// Brings the accumulator back by whole turns, keeping the fraction, so the
// picture does not move at the frame where it happens.
void CountSpinFrame() {
  ++g_nSpinFrames;
  if (g_nSpinFrames % kSpinReductionFrames != 0) return;
  g_fSpinAngle = std::fmod(g_fSpinAngle, kSpinUnitsPerTurn);
  g_nSpinFrames = 0;
}

void PlaceInView() {
  glLoadIdentity();
  glTranslatef(g_fHorz, g_fVert, -g_fDepth);
}

float SpinDegrees() { return kDegreesPerSpinUnit * g_fSpinAngle; }

void DrawSphere() {
  PlaceInView();
  glRotatef(g_fZrot, 0.0f, 0.0f, 1.0f);
  glRotatef(g_fYrot, 0.0f, 1.0f, 0.0f);
  glRotatef(g_fXrot, 1.0f, 0.0f, 0.0f);
  glRotatef(SpinDegrees() + kSphereStartTurn, 0.0f, 1.0f, 0.0f);
  // Stands the quadric's poles upright, so the spin turns the world about its axis.
  glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
  glBindTexture(GL_TEXTURE_2D, SceneTextures[kWorldTextureSlot].textureName);
  gluSphere(g_pQuadric, kSphereRadius, kSphereSlices, kSphereStacks);
}

// The backdrop follows the view's offsets and depth but none of its rotations.
void DrawBackdrop() {
  PlaceInView();
  glRotatef(SpinDegrees(), 0.0f, 0.0f, 1.0f);
  CallBackdropList();
}

// Counter-clockwise seen from the eye, so that culling keeps it; unlit, so the
// picture shows at full brightness behind the lit world.
void CompileBackdropList() {
  const float h = kBackdropHalfSide;
  glNewList(g_nBackdropList, GL_COMPILE);
  glDisable(GL_LIGHTING);
  glBindTexture(GL_TEXTURE_2D, SceneTextures[kBackdropTextureSlot].textureName);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-h, -h, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(h, -h, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(h, h, 0.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-h, h, 0.0f);
  glEnd();
  glEnable(GL_LIGHTING);
  glEndList();
}

}  // namespace

bool DrawWorldScene() {
  ClearBuffers();
  if (!g_moduleTable.modules[kWorldModule].active) return true;
  CountSpinFrame();
  g_fSpinStep = g_bSaverWindow ? g_fSpeed : static_cast<float>(g_fSpeed / kPreviewSlowdown);
  DrawSphere();
  DrawBackdrop();
  g_fSpinAngle += g_fSpinStep;
  return glGetError() == GL_NO_ERROR;
}

bool DrawBlankScene() {
  ClearBuffers();
  return glGetError() == GL_NO_ERROR;
}

bool DrawClearScene() {
  ClearBuffers();
  return true;
}

void CallBackdropList() {
  if (g_bBuildBackdropList) {
    g_bBuildBackdropList = false;
    g_nBackdropList = glGenLists(1);
    CompileBackdropList();
  }
  glCallList(g_nBackdropList);
}
