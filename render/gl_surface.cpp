#include "render/gl_surface.h"

#include "image/texture_loader.h"
#include "render/gl_api.h"
#include "resources/resource_ids.h"

GLUquadric* g_pQuadric = nullptr;

namespace {

constexpr double kFieldOfViewDegrees = 20.0;
constexpr float kNearPlane = 0.1f;
constexpr double kFarPlane = 1000.0;

bool LoadSceneTextures() {
  return LoadJpegTexture(IDR_JPG_WORLD, kWorldTextureSlot) &&
         LoadJpegTexture(IDR_JPG_BACKDROP, kBackdropTextureSlot);
}

void SetFixedState() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
}

void MakeQuadric() {
  g_pQuadric = gluNewQuadric();
  gluQuadricNormals(g_pQuadric, GLU_SMOOTH);
  gluQuadricTexture(g_pQuadric, GL_TRUE);
}

// White light from a point 1000 units behind the viewer on the viewing axis;
// the model-view matrix is still the identity here, so the position is in eye space.
void SetLight() {
  const GLfloat ambient[] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat position[] = {0.0f, 0.0f, 1000.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHTING);
}

}  // namespace

void SetProjection(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfViewDegrees, static_cast<double>(width) / static_cast<double>(height),
                 static_cast<double>(kNearPlane), kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

bool InitGLState() {
  if (!LoadSceneTextures()) return false;
  SetFixedState();
  MakeQuadric();
  SetLight();
  return true;
}
