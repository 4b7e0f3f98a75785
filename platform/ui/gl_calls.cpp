// Forwarding of the view's GL calls to the installed table; without one every call does nothing.
#include "platform/ui/gl_calls.h"

namespace {
const UiGlCalls* g_GlCalls = nullptr;   // UI thread
}

void SetUiGlCalls(const UiGlCalls* calls) { g_GlCalls = calls; }
const UiGlCalls* GetUiGlCalls() { return g_GlCalls; }

#define QUMBRA_GL_FORWARD(entry, ...) \
    do { if (g_GlCalls != nullptr && g_GlCalls->entry != nullptr) g_GlCalls->entry(__VA_ARGS__); } while (0)
#define QUMBRA_GL_FORWARD0(entry) \
    do { if (g_GlCalls != nullptr && g_GlCalls->entry != nullptr) g_GlCalls->entry(); } while (0)

unsigned GlGenLists(int range)
{
    return g_GlCalls != nullptr && g_GlCalls->genLists != nullptr ? g_GlCalls->genLists(range) : 0;
}
void GlDeleteLists(unsigned list, int range) { QUMBRA_GL_FORWARD(deleteLists, list, range); }
int GlIsList(unsigned list)
{
    return g_GlCalls != nullptr && g_GlCalls->isList != nullptr ? g_GlCalls->isList(list) : 0;
}
void GlNewList(unsigned list, unsigned mode) { QUMBRA_GL_FORWARD(newList, list, mode); }
void GlEndList() { QUMBRA_GL_FORWARD0(endList); }
void GlCallList(unsigned list) { QUMBRA_GL_FORWARD(callList, list); }
void GlBegin(unsigned mode) { QUMBRA_GL_FORWARD(begin, mode); }
void GlEnd() { QUMBRA_GL_FORWARD0(end); }
void GlVertex3d(double x, double y, double z) { QUMBRA_GL_FORWARD(vertex3d, x, y, z); }
void GlVertex3dv(const double* v) { QUMBRA_GL_FORWARD(vertex3d, v[0], v[1], v[2]); }
void GlNormal3d(double x, double y, double z) { QUMBRA_GL_FORWARD(normal3d, x, y, z); }
void GlNormal3dv(const double* n) { QUMBRA_GL_FORWARD(normal3d, n[0], n[1], n[2]); }
void GlColor3fv(const float* rgb) { QUMBRA_GL_FORWARD(color3fv, rgb); }
void GlMaterialfv(unsigned face, unsigned name, const float* values) { QUMBRA_GL_FORWARD(materialfv, face, name, values); }
void GlLightfv(unsigned light, unsigned name, const float* values) { QUMBRA_GL_FORWARD(lightfv, light, name, values); }
void GlLineWidth(float width) { QUMBRA_GL_FORWARD(lineWidth, width); }
void GlPointSize(float size) { QUMBRA_GL_FORWARD(pointSize, size); }
void GlEnable(unsigned capability) { QUMBRA_GL_FORWARD(enable, capability); }
void GlDisable(unsigned capability) { QUMBRA_GL_FORWARD(disable, capability); }
void GlBlendFunc(unsigned source, unsigned destination) { QUMBRA_GL_FORWARD(blendFunc, source, destination); }
void GlShadeModel(unsigned mode) { QUMBRA_GL_FORWARD(shadeModel, mode); }
void GlClearColor(float red, float green, float blue, float alpha) { QUMBRA_GL_FORWARD(clearColor, red, green, blue, alpha); }
void GlClear(unsigned mask) { QUMBRA_GL_FORWARD(clear, mask); }
void GlViewport(int x, int y, int width, int height) { QUMBRA_GL_FORWARD(viewport, x, y, width, height); }
void GlMatrixMode(unsigned mode) { QUMBRA_GL_FORWARD(matrixMode, mode); }
void GlLoadIdentity() { QUMBRA_GL_FORWARD0(loadIdentity); }
void GlPushMatrix() { QUMBRA_GL_FORWARD0(pushMatrix); }
void GlPopMatrix() { QUMBRA_GL_FORWARD0(popMatrix); }
void GlTranslated(double x, double y, double z) { QUMBRA_GL_FORWARD(translated, x, y, z); }
void GlRotated(double angle, double x, double y, double z) { QUMBRA_GL_FORWARD(rotated, angle, x, y, z); }
void GlScaled(double x, double y, double z) { QUMBRA_GL_FORWARD(scaled, x, y, z); }
void GlOrtho(double left, double right, double bottom, double top, double zNear, double zFar)
{
    QUMBRA_GL_FORWARD(ortho, left, right, bottom, top, zNear, zFar);
}
void GluPerspective(double fovY, double aspect, double zNear, double zFar) { QUMBRA_GL_FORWARD(perspective, fovY, aspect, zNear, zFar); }
void GlReadBuffer(unsigned mode) { QUMBRA_GL_FORWARD(readBuffer, mode); }
void GlReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels)
{
    QUMBRA_GL_FORWARD(readPixels, x, y, width, height, format, type, pixels);
}
void GlFinish() { QUMBRA_GL_FORWARD0(finish); }
