// The OpenGL 1.1 and GLU calls the 3D view draws with, reached through a table that the backend
// installs with its windows (ui_backend.h). Headless, or before a backend with OpenGL is started, no
// table is installed and every call does nothing (the queries answer 0), so code above the platform
// layer never includes a toolkit or GL header. Tests install a table of their own to record the calls.
// UI thread only, with the view's context current (MakeUiGlCurrent).
#pragma once
#include <cstdint>

// The GL values the view uses (the same numbers as OpenGL's).
enum UiGlValue : unsigned {
    UI_GL_POINTS = 0x0000,
    UI_GL_LINES = 0x0001,
    UI_GL_LINE_LOOP = 0x0002,
    UI_GL_LINE_STRIP = 0x0003,
    UI_GL_TRIANGLES = 0x0004,
    UI_GL_QUADS = 0x0007,
    UI_GL_POLYGON = 0x0009,
    UI_GL_FRONT = 0x0404,
    UI_GL_BACK = 0x0405,
    UI_GL_FRONT_AND_BACK = 0x0408,
    UI_GL_CULL_FACE = 0x0B44,
    UI_GL_LIGHTING = 0x0B50,
    UI_GL_DEPTH_TEST = 0x0B71,
    UI_GL_NORMALIZE = 0x0BA1,
    UI_GL_BLEND = 0x0BE2,
    UI_GL_LIGHT0 = 0x4000,
    UI_GL_AMBIENT = 0x1200,
    UI_GL_DIFFUSE = 0x1201,
    UI_GL_SPECULAR = 0x1202,
    UI_GL_POSITION = 0x1203,
    UI_GL_COMPILE = 0x1300,
    UI_GL_UNSIGNED_BYTE = 0x1401,
    UI_GL_MODELVIEW = 0x1700,
    UI_GL_PROJECTION = 0x1701,
    UI_GL_RGB = 0x1907,
    UI_GL_BGR = 0x80E0,
    UI_GL_FLAT = 0x1D00,
    UI_GL_SMOOTH = 0x1D01,
    UI_GL_SRC_ALPHA = 0x0302,
    UI_GL_ONE_MINUS_SRC_ALPHA = 0x0303,
    UI_GL_DEPTH_BUFFER_BIT = 0x0100,
    UI_GL_COLOR_BUFFER_BIT = 0x4000,
};

// The calls, one entry each (the GL function of the same name). A null entry does nothing.
struct UiGlCalls {
    unsigned (*genLists)(int range);
    void (*deleteLists)(unsigned list, int range);
    int (*isList)(unsigned list);
    void (*newList)(unsigned list, unsigned mode);
    void (*endList)();
    void (*callList)(unsigned list);
    void (*begin)(unsigned mode);
    void (*end)();
    void (*vertex3d)(double x, double y, double z);
    void (*normal3d)(double x, double y, double z);
    void (*color3fv)(const float* rgb);
    void (*materialfv)(unsigned face, unsigned name, const float* values);
    void (*lightfv)(unsigned light, unsigned name, const float* values);
    void (*lineWidth)(float width);
    void (*pointSize)(float size);
    void (*enable)(unsigned capability);
    void (*disable)(unsigned capability);
    void (*blendFunc)(unsigned source, unsigned destination);
    void (*shadeModel)(unsigned mode);
    void (*clearColor)(float red, float green, float blue, float alpha);
    void (*clear)(unsigned mask);
    void (*viewport)(int x, int y, int width, int height);
    void (*matrixMode)(unsigned mode);
    void (*loadIdentity)();
    void (*pushMatrix)();
    void (*popMatrix)();
    void (*translated)(double x, double y, double z);
    void (*rotated)(double angle, double x, double y, double z);
    void (*scaled)(double x, double y, double z);
    void (*ortho)(double left, double right, double bottom, double top, double zNear, double zFar);
    void (*perspective)(double fovY, double aspect, double zNear, double zFar);   // gluPerspective
    void (*readBuffer)(unsigned mode);
    void (*readPixels)(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels);
    void (*finish)();
};

// Installs the table (null: none). StartEventCore installs the backend's; tests may replace it after.
void SetUiGlCalls(const UiGlCalls* calls);
const UiGlCalls* GetUiGlCalls();

// The calls themselves; each does nothing without a table (the queries give 0).
unsigned GlGenLists(int range);
void GlDeleteLists(unsigned list, int range);
int GlIsList(unsigned list);
void GlNewList(unsigned list, unsigned mode);
void GlEndList();
void GlCallList(unsigned list);
void GlBegin(unsigned mode);
void GlEnd();
void GlVertex3d(double x, double y, double z);
void GlVertex3dv(const double* v);
void GlNormal3d(double x, double y, double z);
void GlNormal3dv(const double* n);
void GlColor3fv(const float* rgb);
void GlMaterialfv(unsigned face, unsigned name, const float* values);
void GlLightfv(unsigned light, unsigned name, const float* values);
void GlLineWidth(float width);
void GlPointSize(float size);
void GlEnable(unsigned capability);
void GlDisable(unsigned capability);
void GlBlendFunc(unsigned source, unsigned destination);
void GlShadeModel(unsigned mode);
void GlClearColor(float red, float green, float blue, float alpha);
void GlClear(unsigned mask);
void GlViewport(int x, int y, int width, int height);
void GlMatrixMode(unsigned mode);
void GlLoadIdentity();
void GlPushMatrix();
void GlPopMatrix();
void GlTranslated(double x, double y, double z);
void GlRotated(double angle, double x, double y, double z);
void GlScaled(double x, double y, double z);
void GlOrtho(double left, double right, double bottom, double top, double zNear, double zFar);
void GluPerspective(double fovY, double aspect, double zNear, double zFar);
void GlReadBuffer(unsigned mode);
void GlReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels);
void GlFinish();
