// Pictures of the 3D view: reading the view's pixels from its OpenGL context and writing them as a
// PNG file (the screenshot key and the image-save command).
#pragma once

// Which buffer holds the picture: -1 not yet known, 1 the front buffer, 0 the back buffer (UI thread).
extern int g_ReadBufferChoice;

// Reads the whole view (g_ViewWidth x g_ViewHeight, rows of g_ViewRowBytes, bottom row first) in
// format (UI_GL_RGB or UI_GL_BGR) into pixels (g_ViewImageBytes). Returns 1, or 0 when the view has no
// context or no pixels (nothing is read).
int ReadViewPixels(unsigned format, unsigned char* pixels);
// Writes the picture (rows rowBytes apart, bottom row first) to path as a PNG file. Returns 1 when the
// file was written, 0 when it could not be (no file is left behind).
int SaveImagePng(const char* path, const unsigned char* pixels, int rowBytes, int width, int height);
// The image-save command: reads the view and writes it to path, with ".PNG" appended unless the name
// ends with it (any case). Returns 1 when written, 0 for a view without pixels or a failed write.
int SaveViewImage(const char* path);
// The screenshot key: writes "tmp.png" in the current folder, or the first of "tmp1.png" .. "tmp9.png"
// that can be written; the name written goes to written (at least 16 bytes). Returns 1, or 0 when none.
int SaveViewScreenshot(char* written, int size);
