// The table of the view's GL calls on the real OpenGL library (and GLU for the perspective).
#include <GL/gl.h>
#include <GL/glu.h>
#include "platform/ui/fltk/fltk_internal.h"
#include "platform/ui/gl_calls.h"

namespace {

unsigned GenLists(int range) { return glGenLists(range); }
void DeleteLists(unsigned list, int range) { glDeleteLists(list, range); }
int IsList(unsigned list) { return glIsList(list) == GL_TRUE ? 1 : 0; }
void NewList(unsigned list, unsigned mode) { glNewList(list, mode); }
void EndList() { glEndList(); }
void CallList(unsigned list) { glCallList(list); }
void Begin(unsigned mode) { glBegin(mode); }
void End() { glEnd(); }
void Vertex3d(double x, double y, double z) { glVertex3d(x, y, z); }
void Normal3d(double x, double y, double z) { glNormal3d(x, y, z); }
void Color3fv(const float* rgb) { glColor3fv(rgb); }
void Materialfv(unsigned face, unsigned name, const float* values) { glMaterialfv(face, name, values); }
void Lightfv(unsigned light, unsigned name, const float* values) { glLightfv(light, name, values); }
void LineWidth(float width) { glLineWidth(width); }
void PointSize(float size) { glPointSize(size); }
void Enable(unsigned capability) { glEnable(capability); }
void Disable(unsigned capability) { glDisable(capability); }
void BlendFunc(unsigned source, unsigned destination) { glBlendFunc(source, destination); }
void ShadeModel(unsigned mode) { glShadeModel(mode); }
void ClearColor(float red, float green, float blue, float alpha) { glClearColor(red, green, blue, alpha); }
void Clear(unsigned mask) { glClear(mask); }
void Viewport(int x, int y, int width, int height) { glViewport(x, y, width, height); }
void MatrixMode(unsigned mode) { glMatrixMode(mode); }
void LoadIdentity() { glLoadIdentity(); }
void PushMatrix() { glPushMatrix(); }
void PopMatrix() { glPopMatrix(); }
void Translated(double x, double y, double z) { glTranslated(x, y, z); }
void Rotated(double angle, double x, double y, double z) { glRotated(angle, x, y, z); }
void Scaled(double x, double y, double z) { glScaled(x, y, z); }
void Ortho(double l, double r, double b, double t, double n, double f) { glOrtho(l, r, b, t, n, f); }
void Perspective(double fovY, double aspect, double n, double f) { gluPerspective(fovY, aspect, n, f); }
void ReadBuffer(unsigned mode) { glReadBuffer(mode); }
void ReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels)
{
    glReadPixels(x, y, width, height, format, type, pixels);
}
void Finish() { glFinish(); }

const UiGlCalls kFltkGlCalls = {
    GenLists, DeleteLists, IsList, NewList, EndList, CallList, Begin, End, Vertex3d, Normal3d, Color3fv,
    Materialfv, Lightfv, LineWidth, PointSize, Enable, Disable, BlendFunc, ShadeModel, ClearColor, Clear,
    Viewport, MatrixMode, LoadIdentity, PushMatrix, PopMatrix, Translated, Rotated, Scaled, Ortho,
    Perspective, ReadBuffer, ReadPixels, Finish,
};

}  // namespace

const UiGlCalls* GetFltkGlCalls() { return &kFltkGlCalls; }
