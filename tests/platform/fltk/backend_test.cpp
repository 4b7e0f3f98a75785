// The FLTK backend on a real X display. FltkUnderXvfb.RunsTheBackendTests starts this program again
// under xvfb-run with QUMBRA_FLTK_UNDER_XVFB=1; the FltkBackend tests run only there: a frame with a
// Japanese menu, ten status parts, a progress bar and an OpenGL view read back from a screenshot,
// menu commands, keys and clicks, a dialog from a template, a message box and the choosers.
#include <gtest/gtest.h>
#include <GL/gl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/dialog.h"
#include "platform/ui/event_core.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_bar.h"
#include "tests/scoped_temp_folder.h"
#include "tests/xvfb_rerun.h"

namespace {

const char kInnerVariable[] = "QUMBRA_FLTK_UNDER_XVFB";

// --- The outer run: this program under Xvfb -----------------------------------------------------

TEST(FltkUnderXvfb, RunsTheBackendTests) {
    if (IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "this is the run under Xvfb";
    if (!HasXvfbRun()) GTEST_SKIP() << "xvfb-run is not installed";
    // The suppressions name the libraries that keep caches for the life of the process; a few of
    // fontconfig's blocks have no usable stack (the library has no frame pointers), so leaks do not end
    // the run by themselves: the report is checked below instead.
    const std::string log = ProgramTempFolder().File("xvfb.log");
    std::string output;
    const int status = RunSelfUnderXvfb(kInnerVariable, "FltkBackend.*", log, &output);
    std::remove(log.c_str());
    std::printf("%s\n", output.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ]"), std::string::npos) << output;
    EXPECT_EQ(output.find("[  SKIPPED ]"), std::string::npos) << output;
    // A leak whose stack reaches our own code (this program or its sources) is ours to fix.
    size_t report = output.find("ERROR: LeakSanitizer");
    if (report != std::string::npos) {
        std::string leaks = output.substr(report, output.find("SUMMARY:", report) - report);
        std::string program = SelfExecutablePath();
        program = program.substr(program.rfind('/') + 1);
        EXPECT_EQ(leaks.find(program), std::string::npos) << leaks;
        EXPECT_EQ(leaks.find(QUMBRA_SOURCE_DIR), std::string::npos) << leaks;
    }
}

// --- The frame of the tests -----------------------------------------------------------------------

constexpr int kOpenCommand = 101;
constexpr int kExitCommand = 102;
constexpr int kGridCommand = 201;
constexpr unsigned kAskMessage = WM_USER + 5;

struct FrameRecord {
    WindowHandle frame = nullptr;
    WindowHandle view = nullptr;
    WindowHandle statusBar = nullptr;
    WindowHandle progress = nullptr;
    MenuHandle menu = nullptr;
    std::vector<UiMessage> frameMessages;   // UI thread
    std::vector<UiMessage> viewMessages;    // UI thread
    int viewWidth = 0;
    int viewHeight = 0;
    int paints = 0;
    GLuint listBase = 0;
    int enabledDuringAsk = -1;
};
FrameRecord g_Frame;

void DrawScene() {
    // A red cube turned to show three faces, lit from the viewer's side, in front of a larger green
    // square drawn after it: only the depth test keeps the cube in front.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat lightDirection[] = {0.2f, 0.6f, 1.0f, 0.0f};
    const GLfloat red[] = {0.9f, 0.05f, 0.05f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, red);
    glPushMatrix();
    glRotatef(30.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(45.0f, 0.0f, 1.0f, 0.0f);
    static const GLfloat kNormals[6][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    static const GLfloat kCorners[6][4][3] = {
        {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},     {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
        {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},     {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
        {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},     {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
    };
    glBegin(GL_QUADS);
    for (int face = 0; face < 6; ++face) {
        glNormal3fv(kNormals[face]);
        for (const auto& c : kCorners[face]) glVertex3f(0.4f * c[0], 0.4f * c[1], 0.4f * c[2]);
    }
    glEnd();
    glPopMatrix();
    glDisable(GL_LIGHTING);
    glColor3f(0.0f, 0.8f, 0.0f);
    glBegin(GL_QUADS);
    glVertex3f(-0.95f, -0.95f, -3.0f);
    glVertex3f(0.95f, -0.95f, -3.0f);
    glVertex3f(0.95f, 0.95f, -3.0f);
    glVertex3f(-0.95f, 0.95f, -3.0f);
    glEnd();
}

void SetProjection() {
    if (g_Frame.viewHeight <= 0 || g_Frame.viewWidth <= 0) return;
    glViewport(0, 0, g_Frame.viewWidth, g_Frame.viewHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double aspect = static_cast<double>(g_Frame.viewWidth) / g_Frame.viewHeight;
    glOrtho(-aspect, aspect, -1.0, 1.0, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

intptr_t ViewProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    g_Frame.viewMessages.push_back(UiMessage{window, message, wParam, lParam});
    switch (message) {
    case WM_CREATE:
        if (!CreateUiGlContext(window, 1) || !MakeUiGlCurrent(window)) return -1;
        // As the program does: reserve the list names while the view is being created.
        g_Frame.listBase = glGenLists(400034);
        glNewList(g_Frame.listBase, GL_COMPILE);
        DrawScene();
        glEndList();
        return 0;
    case WM_SIZE:
        g_Frame.viewWidth = static_cast<int>(LowWord(static_cast<uintptr_t>(lParam)));
        g_Frame.viewHeight = static_cast<int>(HighWord(static_cast<uintptr_t>(lParam)));
        if (MakeUiGlCurrent(window)) SetProjection();
        return 0;
    case WM_PAINT:
        BeginUiPaint(window);
        if (MakeUiGlCurrent(window)) {
            glClearColor(0.1f, 0.1f, 0.3f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glCallList(g_Frame.listBase);
            SwapUiGlBuffers(window);
            glFinish();
            MakeUiGlCurrent(nullptr);
            ++g_Frame.paints;
        }
        EndUiPaint(window);
        return 0;
    default:
        return DefaultWindowProc(window, message, wParam, lParam);
    }
}

intptr_t FrameProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    g_Frame.frameMessages.push_back(UiMessage{window, message, wParam, lParam});
    switch (message) {
    case WM_SIZE: {
        int width = static_cast<int>(LowWord(static_cast<uintptr_t>(lParam)));
        int height = static_cast<int>(HighWord(static_cast<uintptr_t>(lParam)));
        if (g_Frame.statusBar != nullptr) SendUiMessage(g_Frame.statusBar, WM_SIZE, wParam, lParam);
        if (g_Frame.view != nullptr) MoveUiWindow(g_Frame.view, 0, 0, width, height - 24);
        return 0;
    }
    case kAskMessage:
        g_Frame.enabledDuringAsk = IsUiWindowEnabled(window);
        return static_cast<intptr_t>(wParam) * 6;
    default:
        return DefaultWindowProc(window, message, wParam, lParam);
    }
}

MenuHandle BuildJapaneseMenu() {
    MenuHandle bar = CreateUiMenu();
    MenuHandle file = CreateUiPopupMenu();
    AppendUiMenuItem(file, MF_STRING, kOpenCommand, "開く(&O)...");
    AppendUiMenuItem(file, MF_SEPARATOR, 0, nullptr);
    AppendUiMenuItem(file, MF_STRING, kExitCommand, "終了(&X)");
    AppendUiSubMenu(bar, file, "ファイル(&F)");
    MenuHandle view = CreateUiPopupMenu();
    AppendUiMenuItem(view, MF_STRING, kGridCommand, "グリッド表示(&G)");
    AppendUiSubMenu(bar, view, "表示(&V) View");
    return bar;
}

// Runs the loop (with timers) until done() or the time limit; returns done().
int RunLoopUntil(const std::function<int()>& done, unsigned limitMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done() && std::chrono::steady_clock::now() < end) RunUiLoopOnce(20, 1, nullptr);
    return done();
}

void WaitFor(const std::function<int()>& done, unsigned limitMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// Ends a stuck modal loop so that a failure does not hang the run.
struct QuitAfter {
    std::atomic<int> cancelled{0};
    std::thread thread;
    explicit QuitAfter(unsigned ms) {
        thread = std::thread([this, ms] {
            WaitFor([this] { return cancelled.load(); }, ms);
            if (!cancelled) PostQuitUiMessage(-99);
        });
    }
    ~QuitAfter() {
        cancelled = 1;
        thread.join();
    }
};

void CreateTestFrame() {
    g_Frame = FrameRecord();
    UiRect rect = {0, 0, 800, 560};
    g_Frame.frame = CreateUiWindow("QumbraFrame", "キュムブラ テスト / Qumbra test", FrameProc, nullptr, 0, &rect, 0);
    ASSERT_NE(g_Frame.frame, nullptr);
    g_Frame.menu = BuildJapaneseMenu();
    SetUiWindowMenu(g_Frame.frame, g_Frame.menu);
    UiRect viewRect = {0, 0, 800, 536};
    g_Frame.view = CreateUiWindow("Picture", "", ViewProc, g_Frame.frame, WS_CHILD | WS_VISIBLE, &viewRect, 0);
    ASSERT_NE(g_Frame.view, nullptr);
    g_Frame.statusBar = CreateStatusBar(g_Frame.frame, 24);
    ASSERT_NE(g_Frame.statusBar, nullptr);
    int edges[10];
    for (int i = 0; i < 9; ++i) edges[i] = 110 + 70 * i;
    edges[9] = -1;
    SetStatusBarParts(g_Frame.statusBar, 10, edges);
    const char* texts[10] = {"準備完了 Ready", "X 12.500", "Y -3.000", "Z 40.000", "工具 T01",
                             "送り F1200", "主軸 S8000", "\t中央", "右\t\t右寄せ", "残り 00:42"};
    for (int i = 0; i < 10; ++i) SetStatusBarPartText(g_Frame.statusBar, i, texts[i], i == 7 ? SBT_POPOUT : 0);
    UiRect part;
    ASSERT_EQ(GetStatusBarPartRect(g_Frame.statusBar, 9, &part), 1);
    UiRect progressRect = {part.left + 4, 3, part.right - 4, 21};
    g_Frame.progress = CreateProgressBar(g_Frame.statusBar, &progressRect, "progress");
    ASSERT_NE(g_Frame.progress, nullptr);
    SetProgressRange(g_Frame.progress, 0, 200);
    SetProgressPosition(g_Frame.progress, 120);
    ShowUiWindow(g_Frame.progress, SW_SHOW);
    ShowUiWindow(g_Frame.frame, SW_SHOW);
    SetUiFocus(g_Frame.view);
    // Shown, exposed and painted through FLTK's drawing at least once.
    ASSERT_TRUE(RunLoopUntil([] { return g_Frame.paints >= 2; }, 5000));
    RunLoopUntil([] { return 0; }, 200);
}

class FltkBackend : public ::testing::Test {
protected:
    void SetUp() override {
        if (!IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "runs under Xvfb through FltkUnderXvfb.RunsTheBackendTests";
        ASSERT_EQ(OpenFltkDisplay(), 1);
        g_UiSettings.unattended = 0;
        g_UiSettings.isUnattendedHook = nullptr;
        ASSERT_EQ(StartEventCore(GetFltkBackend()), 1);
        started_ = 1;
    }
    void TearDown() override {
        if (started_) StopEventCore();
        if (g_Frame.menu != nullptr) DestroyUiMenu(g_Frame.menu);
        g_Frame = FrameRecord();
    }
    int started_ = 0;
};

class CloseDisplayAtEnd : public ::testing::Environment {
public:
    void TearDown() override {
        if (IsUnderXvfb(kInnerVariable)) CloseFltkDisplay();
    }
};
::testing::Environment* const g_CloseDisplay = ::testing::AddGlobalTestEnvironment(new CloseDisplayAtEnd);

// --- Screenshot ------------------------------------------------------------------------------------

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

int ReadPpm(const std::string& path, Image* image) {
    std::string data = ReadTextFile(path);
    std::istringstream in(data);
    std::string magic;
    int maximum = 0;
    in >> magic >> image->width >> image->height >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255 || image->width <= 0 || image->height <= 0) return 0;
    size_t size = static_cast<size_t>(image->width) * image->height * 3;
    size_t offset = static_cast<size_t>(in.tellg());
    if (data.size() < offset + size) return 0;
    image->rgb.assign(data.begin() + static_cast<long>(offset), data.begin() + static_cast<long>(offset + size));
    return 1;
}

int IsRed(const unsigned char* p) { return p[0] > 40 && p[0] > 2 * p[1] && p[0] > 2 * p[2]; }
int IsGreen(const unsigned char* p) { return p[1] > 150 && p[0] < 40 && p[2] < 40; }
int IsBackground(const unsigned char* p) {
    return std::abs(p[0] - 25) < 8 && std::abs(p[1] - 25) < 8 && std::abs(p[2] - 76) < 8;
}

TEST_F(FltkBackend, FrameShowsLitDepthTestedShapeFromDisplayList) {
    CreateTestFrame();
    ASSERT_NE(g_Frame.listBase, 0u) << "glGenLists gave no names";
    EXPECT_EQ(HasUiGlContext(g_Frame.view), 1);
    SyncFltkDisplay();
    std::string png = ProgramTempFolder().File("frame.png");
    std::string ppm = ProgramTempFolder().File("frame.ppm");
    ASSERT_EQ(std::system(("import -window root '" + png + "'").c_str()), 0);
    ASSERT_EQ(std::system(("convert '" + png + "' '" + ppm + "'").c_str()), 0);
    std::printf("screenshot: %s\n", png.c_str());
    Image shot;
    int read = ReadPpm(ppm, &shot);
    std::remove(ppm.c_str());
    ASSERT_EQ(read, 1);
    int originX = 0, originY = 0;
    ASSERT_EQ(GetFltkClientOrigin(g_Frame.view, &originX, &originY), 1);
    int half = g_Frame.viewHeight / 2;
    int centreX = originX + g_Frame.viewWidth / 2;
    int centreY = originY + half;
    ASSERT_LT(originX + g_Frame.viewWidth, shot.width + 1);
    ASSERT_LT(originY + g_Frame.viewHeight, shot.height + 1);
    auto pixel = [&](double x, double y) {
        return shot.At(centreX + static_cast<int>(x * half), centreY - static_cast<int>(y * half));
    };
    const unsigned char* centre = pixel(0, 0);
    EXPECT_TRUE(IsRed(centre)) << int(centre[0]) << "," << int(centre[1]) << "," << int(centre[2]);
    const unsigned char* square = pixel(0.9, 0.9);
    EXPECT_TRUE(IsGreen(square)) << int(square[0]) << "," << int(square[1]) << "," << int(square[2]);
    const unsigned char* background = pixel(1.2, 0);
    EXPECT_TRUE(IsBackground(background))
        << int(background[0]) << "," << int(background[1]) << "," << int(background[2]);
    // Lighting: the cube's faces, turned differently to the light, have different shades of red.
    int darkest = 255, brightest = 0;
    for (double y = -0.6; y <= 0.6; y += 0.05) {
        for (double x = -0.6; x <= 0.6; x += 0.05) {
            const unsigned char* p = pixel(x, y);
            if (!IsRed(p)) continue;
            darkest = std::min(darkest, int(p[0]));
            brightest = std::max(brightest, int(p[0]));
        }
    }
    EXPECT_GT(brightest - darkest, 20);
    if (!HasFailure()) std::remove(png.c_str());   // kept to look at when something failed
}

TEST_F(FltkBackend, MenuCommandsKeysAndClicksBecomeMessages) {
    CreateTestFrame();
    char label[256];
    unsigned flags = 0;
    ASSERT_EQ(DescribeFltkMenuItem(g_Frame.frame, kOpenCommand, label, sizeof(label), &flags), 1);
    EXPECT_STREQ(label, "開く(&O)...");
    EXPECT_EQ(flags, 0u);
    g_Frame.frameMessages.clear();
    ASSERT_EQ(ChooseFltkMenuItem(g_Frame.frame, kOpenCommand), 1);
    auto gotCommand = [](int id) {
        for (const UiMessage& m : g_Frame.frameMessages) {
            if (m.message == WM_COMMAND && static_cast<int>(LowWord(m.wParam)) == id) return 1;
        }
        return 0;
    };
    EXPECT_TRUE(RunLoopUntil([&] { return gotCommand(kOpenCommand); }, 2000));

    // Grey, check and caption changes of the model reach the menu bar; a grey item cannot be chosen.
    EnableUiMenuItem(g_Frame.menu, kExitCommand, MF_GRAYED);
    CheckUiMenuItem(g_Frame.menu, kGridCommand, MF_CHECKED);
    SetUiMenuItemCaption(g_Frame.menu, kOpenCommand, MF_BYCOMMAND, "開く(&O)...\tCtrl+O");
    ASSERT_EQ(DescribeFltkMenuItem(g_Frame.frame, kExitCommand, label, sizeof(label), &flags), 1);
    EXPECT_EQ(flags, MF_GRAYED);
    EXPECT_EQ(ChooseFltkMenuItem(g_Frame.frame, kExitCommand), 0);
    ASSERT_EQ(DescribeFltkMenuItem(g_Frame.frame, kOpenCommand, label, sizeof(label), &flags), 1);
    EXPECT_STREQ(label, "開く(&O)...\tCtrl+O");
    ASSERT_EQ(ChooseFltkMenuItem(g_Frame.frame, kGridCommand), 1);
    EXPECT_TRUE(RunLoopUntil([&] { return gotCommand(kGridCommand); }, 2000));
    ASSERT_EQ(DescribeFltkMenuItem(g_Frame.frame, kGridCommand, label, sizeof(label), &flags), 1);
    EXPECT_EQ(flags, MF_CHECKED) << "the model, not FLTK's toggle, decides the check mark";
    EXPECT_FALSE(gotCommand(kExitCommand));

    // A key typed into the frame goes to the focus window with its virtual-key code and character.
    g_Frame.viewMessages.clear();
    ASSERT_EQ(SimulateFltkKey(g_Frame.frame, 'A', 0), 1);
    ASSERT_EQ(SimulateFltkKey(g_Frame.frame, VK_F5, 0), 1);
    ASSERT_EQ(SimulateFltkKey(g_Frame.frame, 'Q', 0x20), 1);   // Alt+Q: no menu mnemonic
    ASSERT_EQ(SimulateFltkClick(g_Frame.view, 30, 40), 1);
    RunLoopUntil([] { return 0; }, 100);
    std::vector<UiMessage> input;
    for (const UiMessage& m : g_Frame.viewMessages) {
        if (m.message >= WM_KEYDOWN && m.message <= WM_SYSCHAR) input.push_back(m);
        if (m.message == WM_LBUTTONDOWN || m.message == WM_LBUTTONUP) input.push_back(m);
    }
    ASSERT_EQ(input.size(), 10u);
    EXPECT_EQ(input[0].message, WM_KEYDOWN);
    EXPECT_EQ(input[0].wParam, static_cast<uintptr_t>('A'));
    EXPECT_EQ(input[1].message, WM_CHAR);
    EXPECT_EQ(input[1].wParam, static_cast<uintptr_t>('a'));
    EXPECT_EQ(input[2].message, WM_KEYUP);
    EXPECT_EQ(input[3].message, WM_KEYDOWN);
    EXPECT_EQ(input[3].wParam, static_cast<uintptr_t>(VK_F5));
    EXPECT_EQ(input[4].message, WM_KEYUP);
    EXPECT_EQ(input[5].message, WM_SYSKEYDOWN);
    EXPECT_EQ(input[5].wParam, static_cast<uintptr_t>('Q'));
    EXPECT_EQ(input[6].message, WM_SYSCHAR);
    EXPECT_EQ(input[6].wParam, static_cast<uintptr_t>('q'));
    EXPECT_EQ(input[7].message, WM_SYSKEYUP);
    EXPECT_EQ(input[8].message, WM_LBUTTONDOWN);
    EXPECT_EQ(input[8].wParam & MK_LBUTTON, static_cast<uintptr_t>(MK_LBUTTON));
    EXPECT_EQ(LowWord(static_cast<uintptr_t>(input[8].lParam)), 30u);
    EXPECT_EQ(HighWord(static_cast<uintptr_t>(input[8].lParam)), 40u);
    EXPECT_EQ(input[9].message, WM_LBUTTONUP);

    // Minimise and restore are the model's; WM_SIZE tells the window procedure.
    g_Frame.frameMessages.clear();
    ShowUiWindow(g_Frame.frame, SW_MINIMIZE);
    EXPECT_EQ(IsUiWindowMinimised(g_Frame.frame), 1);
    ShowUiWindow(g_Frame.frame, SW_RESTORE);
    EXPECT_EQ(IsUiWindowMinimised(g_Frame.frame), 0);
    RunLoopUntil([] { return 0; }, 100);
    std::vector<unsigned> sizes;
    for (const UiMessage& m : g_Frame.frameMessages) {
        if (m.message == WM_SIZE) sizes.push_back(static_cast<unsigned>(m.wParam));
    }
    ASSERT_GE(sizes.size(), 2u);
    EXPECT_EQ(sizes[0], SIZE_MINIMIZED);
    EXPECT_EQ(sizes.back(), SIZE_RESTORED);
}

TEST_F(FltkBackend, PopupMenuServesSendsAndPostsTheChosenCommand) {
    CreateTestFrame();
    MenuHandle popup = CreateUiPopupMenu();
    AppendUiMenuItem(popup, MF_STRING, 257, "回転 / rotate");
    AppendUiMenuItem(popup, MF_STRING, 250, "拡大 / zoom");
    std::atomic<intptr_t> askResult{0};
    std::thread user([&] {
        // Served inside FLTK's own menu loop.
        askResult = SendUiMessage(g_Frame.frame, kAskMessage, 3, 0);
        for (int key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
            RunOnUiThread([](void* context) -> intptr_t {
                return SimulateFltkKey(g_Frame.frame, static_cast<int>(reinterpret_cast<intptr_t>(context)), 0);
            }, reinterpret_cast<void*>(static_cast<intptr_t>(key)));
        }
    });
    int x = 100, y = 100;
    ClientToScreenPoint(g_Frame.view, &x, &y);
    g_Frame.frameMessages.clear();
    int chosen = 0;
    {
        QuitAfter guard(10000);
        chosen = TrackUiPopupMenu(popup, x, y, g_Frame.frame);
    }
    user.join();
    DestroyUiMenu(popup);
    EXPECT_EQ(askResult.load(), 18);
    EXPECT_EQ(chosen, 1);
    RunLoopUntil([] { return 0; }, 50);
    int command = 0;
    for (const UiMessage& m : g_Frame.frameMessages) {
        if (m.message == WM_COMMAND) command = static_cast<int>(LowWord(m.wParam));
    }
    EXPECT_EQ(command, 250);

    // The clipboard takes an image while the frame is shown.
    unsigned char pixels[2 * 8] = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    EXPECT_EQ(SetClipboardImage(pixels, 2, 2), 1);
}

// --- A dialog from a template ---------------------------------------------------------------------

enum {
    kNameEdit = 1001,
    kDetailCheck = 1002,
    kMillimetreRadio = 1003,
    kInchRadio = 1004,
    kPlaceList = 1005,
    kKindCombo = 1006,
};

const DialogItemTemplate kSettingsItems[] = {
    {-1, DIALOG_ITEM_STATIC, {12, 14, 90, 34}, "名前:", 0},
    {kNameEdit, DIALOG_ITEM_EDIT, {96, 10, 300, 36}, "", 0},
    {kDetailCheck, DIALOG_ITEM_CHECKBOX, {12, 46, 300, 70}, "詳細を表示 / details", 0},
    {-1, DIALOG_ITEM_GROUP_BOX, {10, 76, 300, 134}, "単位", 0},
    {kMillimetreRadio, DIALOG_ITEM_RADIO, {20, 96, 140, 120}, "mm", DIALOG_ITEM_GROUP_START},
    {kInchRadio, DIALOG_ITEM_RADIO, {150, 96, 280, 120}, "inch", 0},
    {kPlaceList, DIALOG_ITEM_LIST_BOX, {12, 144, 200, 230}, "", 0},
    {kKindCombo, DIALOG_ITEM_COMBO_BOX, {212, 144, 380, 170}, "", 0},
    {IDOK, DIALOG_ITEM_DEFAULT_BUTTON, {180, 244, 270, 272}, "OK", 0},
    {IDCANCEL, DIALOG_ITEM_BUTTON, {280, 244, 380, 272}, "キャンセル", 0},
};
const DialogTemplate kSettingsTemplate = {300, "設定 / Settings", 392, 284, kSettingsItems,
                                          static_cast<int>(sizeof(kSettingsItems) / sizeof(kSettingsItems[0])), 0};

struct DialogRecord {
    std::atomic<WindowHandle> dialog{nullptr};
    std::vector<UiMessage> commands;   // UI thread
    std::vector<int> checkedAtClick;   // check box state at each of its BN_CLICKED
    std::string finalText;
    int finalMillimetre = -1;
    int finalInch = -1;
    int finalSelection = -2;
};
DialogRecord* g_Dialog = nullptr;

intptr_t SettingsProc(WindowHandle dialog, unsigned message, uintptr_t wParam, intptr_t lParam) {
    (void)lParam;
    if (message == WM_INITDIALOG) {
        SetDialogItemText(dialog, kNameEdit, "初期値");
        AddDialogListItem(dialog, kPlaceList, "一番目");
        AddDialogListItem(dialog, kPlaceList, "二番目");
        AddDialogListItem(dialog, kKindCombo, "フライス / mill");
        AddDialogListItem(dialog, kKindCombo, "a/b & c");
        SetDialogListSelection(dialog, kKindCombo, 1);
        CheckDialogButton(dialog, kMillimetreRadio, BST_CHECKED);
        g_Dialog->dialog = dialog;
        return 1;
    }
    if (message != WM_COMMAND) return 0;
    int id = static_cast<int>(LowWord(wParam));
    g_Dialog->commands.push_back(UiMessage{dialog, message, wParam, lParam});
    if (id == kDetailCheck) g_Dialog->checkedAtClick.push_back(IsDialogButtonChecked(dialog, kDetailCheck));
    if (id == IDOK) {
        char text[256];
        GetDialogItemText(dialog, kNameEdit, text, sizeof(text));
        g_Dialog->finalText = text;
        g_Dialog->finalMillimetre = IsDialogButtonChecked(dialog, kMillimetreRadio);
        g_Dialog->finalInch = IsDialogButtonChecked(dialog, kInchRadio);
        g_Dialog->finalSelection = GetDialogListSelection(dialog, kPlaceList);
        EndUiDialog(dialog, IDOK);
    } else if (id == IDCANCEL) {
        EndUiDialog(dialog, IDCANCEL);
    }
    return 1;
}

// A click at the centre (or dy below the top) of a control, made on the UI thread from another thread.
void ClickControlFromThread(WindowHandle dialog, int id, int dy) {
    for (const DialogItemTemplate& item : kSettingsItems) {
        if (item.id != id) continue;
        struct Click {
            WindowHandle dialog;
            int x;
            int y;
        } click = {dialog, (item.rect.left + item.rect.right) / 2,
                   dy > 0 ? item.rect.top + dy : (item.rect.top + item.rect.bottom) / 2};
        RunOnUiThread([](void* context) -> intptr_t {
            Click* c = static_cast<Click*>(context);
            return SimulateFltkClick(c->dialog, c->x, c->y);
        }, &click);
    }
}

TEST_F(FltkBackend, DialogFromTemplateAnswersClicksTypingAndSends) {
    CreateTestFrame();
    DialogRecord record;
    g_Dialog = &record;
    std::atomic<intptr_t> askResult{0};
    std::thread user([&] {
        WaitFor([&] { return record.dialog.load() != nullptr; }, 5000);
        WindowHandle dialog = record.dialog.load();
        if (dialog == nullptr) return;
        // A send from another thread is served while the modal dialog runs.
        askResult = SendUiMessage(g_Frame.frame, kAskMessage, 7, 0);
        ClickControlFromThread(dialog, kDetailCheck, 0);
        ClickControlFromThread(dialog, kInchRadio, 0);
        ClickControlFromThread(dialog, kNameEdit, 0);
        RunOnUiThread([](void* context) -> intptr_t {
            return SimulateFltkKey(static_cast<WindowHandle>(context), 'X', MK_SHIFT);
        }, dialog);
        // A list places its items when it is first drawn; on a loaded display the dialog may not be
        // exposed yet, so the user clicks again until the item is selected (as a person would).
        for (int attempt = 0; attempt < 50; ++attempt) {
            ClickControlFromThread(dialog, kPlaceList, 8);
            intptr_t selected = RunOnUiThread([](void* context) -> intptr_t {
                return GetDialogListSelection(static_cast<WindowHandle>(context), kPlaceList);
            }, dialog);
            if (selected == 0) break;
            RunOnUiThread([](void*) -> intptr_t {
                SyncFltkDisplay();
                return 0;
            }, nullptr);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ClickControlFromThread(dialog, IDOK, 0);
    });
    int result = 0;
    {
        QuitAfter guard(15000);
        result = RunModalDialog(&kSettingsTemplate, g_Frame.frame, SettingsProc, 0);
    }
    user.join();
    g_Dialog = nullptr;
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(askResult.load(), 42);
    EXPECT_EQ(g_Frame.enabledDuringAsk, 0) << "the owner is disabled while the dialog runs";
    EXPECT_EQ(IsUiWindowEnabled(g_Frame.frame), 1);
    ASSERT_EQ(record.checkedAtClick.size(), 1u);
    EXPECT_EQ(record.checkedAtClick[0], BST_CHECKED);
    EXPECT_EQ(record.finalMillimetre, BST_UNCHECKED);
    EXPECT_EQ(record.finalInch, BST_CHECKED);
    EXPECT_EQ(record.finalText, "初期値X");
    EXPECT_EQ(record.finalSelection, 0);
    int sawEdit = 0, sawList = 0, sawRadio = 0;
    for (const UiMessage& m : record.commands) {
        unsigned id = LowWord(m.wParam), code = HighWord(m.wParam);
        if (id == kNameEdit && code == EN_CHANGE) sawEdit = 1;
        if (id == kPlaceList && code == LBN_SELCHANGE) sawList = 1;
        if (id == kInchRadio && code == BN_CLICKED) sawRadio = 1;
    }
    EXPECT_EQ(sawEdit, 1);
    EXPECT_EQ(sawList, 1);
    EXPECT_EQ(sawRadio, 1);
    EXPECT_FALSE(IsUiWindow(record.dialog.load()));
}

// --- Message box and choosers ---------------------------------------------------------------------

WindowHandle FindMessageBox() {
    WindowHandle windows[64];
    int count = ListUiWindows(windows, 64);
    for (int i = 0; i < count && i < 64; ++i) {
        if (GetUiDialogTemplate(windows[i]) != nullptr && GetDialogTemplateId(windows[i]) < 0) return windows[i];
    }
    return nullptr;
}

TEST_F(FltkBackend, MessageBoxOfAnotherThreadIsShownAndAnswered) {
    CreateTestFrame();
    std::atomic<int> answer{0};
    std::thread asker([&] {
        answer =
            ShowUiMessageBox(g_Frame.frame, "変更を保存しますか?\nSave changes?", "確認", MB_YESNO | MB_ICONQUESTION);
    });
    std::thread user([&] {
        WaitFor([] { return FindMessageBox() != nullptr; }, 5000);
        WindowHandle box = FindMessageBox();
        if (box == nullptr) return;
        // Read the button before the click: the box and its template go when it is answered.
        const DialogTemplate* t = GetUiDialogTemplate(box);
        struct Click {
            WindowHandle box;
            int x;
            int y;
        } click = {box, -1, -1};
        for (int i = 0; t != nullptr && i < t->itemCount; ++i) {
            if (t->items[i].id != IDNO) continue;
            click.x = (t->items[i].rect.left + t->items[i].rect.right) / 2;
            click.y = (t->items[i].rect.top + t->items[i].rect.bottom) / 2;
        }
        if (click.x < 0) return;
        RunOnUiThread([](void* context) -> intptr_t {
            Click* c = static_cast<Click*>(context);
            return SimulateFltkClick(c->box, c->x, c->y);
        }, &click);
    });
    {
        QuitAfter guard(10000);   // a box left open ends with the quit request
        RunLoopUntil([&] { return answer.load() != 0; }, 10000);
    }
    user.join();
    asker.join();
    EXPECT_EQ(answer.load(), IDNO);
    ShownMessageBox shown;
    ASSERT_GE(CountShownMessageBoxes(), 1);
    ASSERT_EQ(GetShownMessageBox(CountShownMessageBoxes() - 1, &shown), 1);
    EXPECT_EQ(shown.unattended, 0);
    EXPECT_STREQ(shown.caption, "確認");
}

TEST_F(FltkBackend, ChoosersAnswerAndServeSends) {
    CreateTestFrame();
    std::string path = ProgramTempFolder().File("chooser_目標.nc");
    { std::ofstream(path) << "G0 X0\n"; }
    // Each answer is a call made on the UI thread from another thread, served by the chooser's loop.
    auto answerLater = [](int accept, std::string chosen) {
        return std::thread([accept, chosen] {
            struct Answer {
                int accept;
                const char* path;
            } answer = {accept, chosen.c_str()};
            intptr_t done = 0;
            for (int tries = 0; tries < 200 && !done; ++tries) {
                done = RunOnUiThread([](void* context) -> intptr_t {
                    Answer* a = static_cast<Answer*>(context);
                    return AnswerFltkChooser(a->accept, a->path);
                }, &answer);
                if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    };
    char chosen[1024] = "";
    FileDialogRequest request = {};
    request.owner = g_Frame.frame;
    request.title = "NCデータを開く";
    request.filter = "NCデータ (*.nc)\0*.nc;*.txt\0すべて\0*.*\0\0";
    request.path = chosen;
    request.pathSize = sizeof(chosen);
    request.flags = FILE_DIALOG_MUST_EXIST;
    request.checkboxCaption = "読み取り専用";
    request.checkboxValue = 1;
    std::thread accept = answerLater(1, path);
    int opened = 0;
    {
        QuitAfter guard(10000);
        opened = ShowOpenFileDialog(&request);
    }
    accept.join();
    EXPECT_EQ(opened, 1);
    std::string name = chosen;
    std::string file = path.substr(path.rfind('/') + 1);
    EXPECT_NE(name.find(file), std::string::npos) << name;
    EXPECT_EQ(request.checkboxValue, 1);

    std::thread cancel = answerLater(0, "");
    chosen[0] = '\0';
    {
        QuitAfter guard(10000);
        opened = ShowOpenFileDialog(&request);
    }
    cancel.join();
    EXPECT_EQ(opened, 0);

    unsigned colour = 0x000000FFu;
    unsigned custom[16] = {};
    std::thread colourAnswer = answerLater(1, "");
    int picked = 0;
    {
        QuitAfter guard(10000);
        picked = ShowColourDialog(g_Frame.frame, &colour, custom);
    }
    colourAnswer.join();
    EXPECT_EQ(picked, 1);
    EXPECT_EQ(colour, 0x000000FFu);
    std::remove(path.c_str());
}

}  // namespace
