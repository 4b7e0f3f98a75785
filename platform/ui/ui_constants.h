// Our own message numbers, notification codes, virtual-key codes and style flags of the event core.
// The values are the usual ones of this vocabulary, so handlers read as the behaviour they implement.
#pragma once

// Window messages.
constexpr unsigned WM_NULL = 0x0000;
constexpr unsigned WM_CREATE = 0x0001;           // lParam: the creation parameter; return -1 to refuse
constexpr unsigned WM_DESTROY = 0x0002;
constexpr unsigned WM_MOVE = 0x0003;             // lParam: client x (low), y (high)
constexpr unsigned WM_SIZE = 0x0005;             // wParam: SIZE_*; lParam: client width (low), height (high)
constexpr unsigned WM_ACTIVATE = 0x0006;         // wParam low word: WA_*
constexpr unsigned WM_SETFOCUS = 0x0007;
constexpr unsigned WM_KILLFOCUS = 0x0008;
constexpr unsigned WM_PAINT = 0x000F;
constexpr unsigned WM_CLOSE = 0x0010;            // default: the window is destroyed
constexpr unsigned WM_QUIT = 0x0012;             // wParam: exit code; ends RunMessageLoop
constexpr unsigned WM_ERASEBKGND = 0x0014;
constexpr unsigned WM_SHOWWINDOW = 0x0018;       // wParam: 1 shown, 0 hidden
constexpr unsigned WM_WINDOWPOSCHANGED = 0x0047;
constexpr unsigned WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr unsigned WM_KEYDOWN = 0x0100;          // wParam: virtual-key code
constexpr unsigned WM_KEYUP = 0x0101;
constexpr unsigned WM_CHAR = 0x0102;             // wParam: character
constexpr unsigned WM_SYSKEYDOWN = 0x0104;
constexpr unsigned WM_SYSKEYUP = 0x0105;
constexpr unsigned WM_SYSCHAR = 0x0106;          // a character typed with Alt held
constexpr unsigned WM_INITDIALOG = 0x0110;       // lParam: the dialog's parameter
constexpr unsigned WM_COMMAND = 0x0111;          // wParam: id (low), notification (high); lParam: 0
constexpr unsigned WM_SYSCOMMAND = 0x0112;       // wParam: SC_*
constexpr unsigned WM_TIMER = 0x0113;            // wParam: timer id
constexpr unsigned WM_MENUSELECT = 0x011F;
constexpr unsigned WM_CTLCOLORSTATIC = 0x0138;
constexpr unsigned WM_MOUSEMOVE = 0x0200;        // wParam: MK_*; lParam: client x (low), y (high)
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MOUSEWHEEL = 0x020A;       // wParam: MK_* (low), signed delta (high)
constexpr unsigned WM_DROPFILES = 0x0233;        // wParam: drop handle (platform/ui/clipboard_drop.h)
constexpr unsigned WM_USER = 0x0400;             // first message number free for the program
constexpr unsigned WM_APP = 0x8000;
constexpr unsigned WM_REGISTERED_FIRST = 0xC000; // RegisterUiMessage hands out numbers from here

// WM_SIZE kinds.
constexpr unsigned SIZE_RESTORED = 0;
constexpr unsigned SIZE_MINIMIZED = 1;
constexpr unsigned SIZE_MAXIMIZED = 2;

// WM_ACTIVATE states.
constexpr unsigned WA_INACTIVE = 0;
constexpr unsigned WA_ACTIVE = 1;
constexpr unsigned WA_CLICKACTIVE = 2;

// WM_SYSCOMMAND commands (the default handling minimises, maximises, restores or closes).
constexpr unsigned SC_MINIMIZE = 0xF020;
constexpr unsigned SC_MAXIMIZE = 0xF030;
constexpr unsigned SC_CLOSE = 0xF060;
constexpr unsigned SC_RESTORE = 0xF120;

// ShowUiWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// Window styles (CreateUiWindow).
constexpr unsigned WS_CHILD = 0x40000000u;
constexpr unsigned WS_VISIBLE = 0x10000000u;

// Mouse-message key flags.
constexpr unsigned MK_LBUTTON = 0x0001;
constexpr unsigned MK_RBUTTON = 0x0002;
constexpr unsigned MK_SHIFT = 0x0004;
constexpr unsigned MK_CONTROL = 0x0008;
constexpr unsigned MK_MBUTTON = 0x0010;

// Virtual-key codes. Digits and letters are their upper-case characters '0'..'9', 'A'..'Z'.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_CANCEL = 0x03;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;                    // Alt
constexpr int VK_PAUSE = 0x13;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60;                 // VK_NUMPAD0 + n for n = 0..9
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SEPARATOR = 0x6C;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;                      // VK_F1 + n - 1 for Fn, n = 1..12
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_F4 = 0x73;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F7 = 0x76;
constexpr int VK_F8 = 0x77;
constexpr int VK_F9 = 0x78;
constexpr int VK_F10 = 0x79;
constexpr int VK_F11 = 0x7A;
constexpr int VK_F12 = 0x7B;
constexpr int VK_OEM_1 = 0xBA;                   // ';'
constexpr int VK_OEM_PLUS = 0xBB;                // '='
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF;                   // '/'

// Dialog and message-box results, and the ids of the usual OK and Cancel buttons.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Message-box styles: buttons, icon, default button, topmost.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_TYPEMASK = 0xF;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_DEFBUTTON1 = 0x000;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;
constexpr unsigned MB_TOPMOST = 0x40000;

// Menu item flags and states.
constexpr unsigned MF_STRING = 0x0000;
constexpr unsigned MF_ENABLED = 0x0000;
constexpr unsigned MF_UNCHECKED = 0x0000;
constexpr unsigned MF_BYCOMMAND = 0x0000;
constexpr unsigned MF_GRAYED = 0x0001;
constexpr unsigned MF_DISABLED = 0x0002;
constexpr unsigned MF_BITMAP = 0x0004;           // the item shows a bitmap resource instead of text
constexpr unsigned MF_CHECKED = 0x0008;
constexpr unsigned MF_POPUP = 0x0010;
constexpr unsigned MF_BYPOSITION = 0x0400;
constexpr unsigned MF_SEPARATOR = 0x0800;

// Accelerator entry flags.
constexpr unsigned FVIRTKEY = 0x01;              // key is a virtual-key code, else a character
constexpr unsigned FSHIFT = 0x04;
constexpr unsigned FCONTROL = 0x08;
constexpr unsigned FALT = 0x10;

// Control notifications (high word of WM_COMMAND's wParam).
constexpr unsigned BN_CLICKED = 0;
constexpr unsigned EN_SETFOCUS = 0x0100;
constexpr unsigned EN_KILLFOCUS = 0x0200;
constexpr unsigned EN_CHANGE = 0x0300;
constexpr unsigned LBN_SELCHANGE = 1;
constexpr unsigned LBN_DBLCLK = 2;
constexpr unsigned CBN_SELCHANGE = 1;

// Check states of buttons.
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;

// Status-bar part drawing styles (0: sunken).
constexpr int SBT_NOBORDERS = 0x100;
constexpr int SBT_POPOUT = 0x200;

// System cursors (see platform/ui/cursor.h); program cursors use their resource ids below these.
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;
constexpr int IDC_CROSS = 32515;
