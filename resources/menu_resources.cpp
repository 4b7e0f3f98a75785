// The menu bar 109, accelerator table 109 and the string table. The English captions are those of the
// message file "qumbra5000.mes" shipped beside the program (same order; a test keeps them together).
#include "resources/menu_resources.h"

#include <cstdio>

namespace {

const unsigned P = MF_POPUP;
const unsigned S = MF_SEPARATOR;
const unsigned G = MF_GRAYED;

const MenuResourceItem kMainMenu[] = {
    {0, P, 0, "NCデータ(&N)", "NC Data(&N)"},
    {1, 0, 32771, "選択（&S）", "Select(&S)"},
    {1, 0, 32772, "選択して最適被切削材定義(&W)", "Select and Define Optimal Stock(&W)"},
    {1, G, 32773, "帳票出力（&V）", "Verification Report(&V)"},
    {1, S, 0, "", ""},
    {1, G, 32813, "エディター編集(&E)", "Edit in Editor(&E)"},
    {1, S, 0, "", ""},
    {1, 0, 105, "終了（&X）", "Exit(&X)"},
    {0, P, 0, "被切削材(&W)", "Work(&W)"},
    {1, 0, 32784, "DME,DMF,STL,,,読み込み(&L)", "Load DME,DMF,STL,,,(&L)"},
    {1, G, 32786, "DME,STL,,,保存(&S)", "Save DME,STL,,,(&S)"},
    {1, 0, 32787, "2点指示定義(&D)", "Define by Two Points(&D)"},
    {1, 0, 32911, "ワーク座標原点基準定義(&W)", "Define from Work Origin(&W)"},
    {1, 0, 32896, "円柱定義(&U)", "Define Cylinder(&U)"},
    {1, S, 0, "", ""},
    {1, 0, 138, "ピッチ（精度）指定(&P)", "Pitch (Accuracy)(&P)"},
    {1, G, 32905, "削除/無効化/有効化(&N)", "Delete/Disable/Enable(&N)"},
    {1, S, 0, "", ""},
    {1, G, 32788, "オフセット(&O)", "Offset(&O)"},
    {1, G, 32826, "回転(&R)", "Rotate(&R)"},
    {1, G, 32827, "移動(&M)", "Move(&M)"},
    {1, G, 32906, "XYZ値カット(&Z)", "XYZ Value Cut(&Z)"},
    {1, S, 0, "", ""},
    {1, G, 32789, "ペンキの全面塗り(&A)", "Paint All(&A)"},
    {1, G, 32790, "ペンキをはがす(&C)", "Strip Paint(&C)"},
    {1, G, 32820, "ペンの色をはがす(&E)", "Strip Pen Colour(&E)"},
    {1, S, 0, "", ""},
    {1, G, 32851, "基準形状指定(&B)", "Basic Model(&B)"},
    {1, G, 32893, "差分塗り(&F)", "Difference Painting(&F)"},
    {1, 0, 32904, "バイス形状(STL)読み込み(&V)", "Load Vice Model (STL)(&V)"},
    {0, P, 0, "切削(&C)", "Cutting(&C)"},
    {1, G, 32774, "実切削(&R)", "Real Cutting(&R)"},
    {1, G, 32775, "スキップ切削(&S)", "Skip Cutting(&S)"},
    {1, G, 32776, "結果表示(&F or F5キー)", "Cut and Show Result(&F or F5)"},
    {1, S, 0, "", ""},
    {1, P, 0, "停止位置の指定(&N)", "Stop Position(&N)"},
    {2, 0, 32853, "ノンストップ(&0)", "Non-stop(&0)"},
    {2, 0, 32854, "M00で停止(&1)", "At M00(&1)"},
    {2, 0, 32855, "M00とM01で停止(&2)", "At M00 and M01(&2)"},
    {2, 0, 32856, "シングルブロック(&3)", "Single Block(&3)"},
    {2, 0, 32857, "定義位置で停止(&4)", "At Defined Positions(&4)"},
    {1, S, 0, "", ""},
    {1, G, 32777, "パス表示(&P or F6キー)", "Tool Path(&P or F6)"},
    {1, G, 32778, "回転成分を補間しないパス表示(&D or F7)", "Tool Path without Rotary Interpolation(&D or F7)"},
    {1, 0, 32800, "パスの構成点表示(&C)", "Path Construction Points(&C)"},
    {1, S, 0, "", ""},
    {1, S, 0, "", ""},
    {1, P, 0, "工具先端点制御(&T)", "Tool Centre Point Control(&T)"},
    {2, 0, 32897, "通常(&N)", "Normal(&N)"},
    {2, 0, 32898, "強制指定-タイプ1(&1)", "Forced Type 1(&1)"},
    {2, 0, 32899, "強制指定-タイプ2(&2)", "Forced Type 2(&2)"},
    {1, 0, 32852, "オプショナルブロックスキップ設定(&B)", "Optional Block Skip(&B)"},
    {1, 0, 32902, "回転動作実加工モード(&A)", "Real Rotary Motion Mode(&A)"},
    {1, 0, 32908, "早送り部実加工モード(&0)", "Real Rapid Motion Mode(&0)"},
    {1, S, 0, "", ""},
    {1, 0, 32841, "工具径補正値設定(&K)", "Radius Offsets(&K)"},
    {1, 0, 32842, "工具長補正値設定(&L)", "Length Offsets(&L)"},
    {1, 0, 32884, "ワーク座標系設定(&W)", "Work Coordinate Systems(&W)"},
    {1, 0, 154, "制御点座標値設定(&X)", "Control Point Coordinates(&X)"},
    {1, S, 0, "", ""},
    {1, 0, 32894, "切削干渉チェックの設定(&I)", "Cutting Check Settings(&I)"},
    {1, 0, 32907, "動画保存設定(&V) - 暫定仕様", "Movie Settings(&V) - Provisional"},
    {0, P, 0, "設定ファイル(&F)", "Setting Files(&F)"},
    {1, 0, 32781, "工具設定ファイルの指定(&T) 編集:F2キー", "Tool Table File(&T) Edit:F2"},
    {1, 0, 32782, "コントローラー定義ファイルの指定(&C) 編集:F3キー", "Controller File(&C) Edit:F3"},
    {1, 0, 32783, "機械定義ファイルの指定(&M) 編集:F4キー", "Machine File(&M) Edit:F4"},
    {1, S, 0, "", ""},
    {1, 0, 32912, "構造物干渉チェックの設定(&S)", "Machine Check Settings(&S)"},
    {1, 0, 208, "起動時の状態設定(&I)", "Start-up State(&I)"},
    {0, P, 0, "表示(&D)", "Display(&D)"},
    {1, 0, 32828, "座標軸表示(&O)", "Axis Triad(&O)"},
    {1, 0, 32901, "遠近感(&@)", "Perspective(&@)"},
    {1, 0, 32900, "表示ON/OFF/半透明制御(&P)", "Display On/Off/Semi-transparent(&P)"},
    {1, 0, 213, "コマンドメニュー表示(&M)", "Command Menu(&M)"},
    {1, 0, 32816, "工具表示ダイアログ表示(&T)", "Tool Panel(&T)"},
    {1, 0, 32779, "色の設定(&W)", "Colours(&W)"},
    {0, P, 0, "ヘルプ(&H)", "Help(&H)"},
    {1, 0, 801, "ヘルプ(&H or F1キー)", "Help(&H or F1)"},
    {1, 0, 104, "バージョン/環境情報(&V)", "Version and Environment(&V)"},
};

const AcceleratorEntry kMainAccelerators[] = {
    {FALT, '?', 104},
    {FALT, '/', 104},
};
const AcceleratorTable kMainAcceleratorTable = {kMainAccelerators, 2};

struct StringResource {
    int id;
    const char* text;
};
const StringResource kStrings[] = {
    {STRING_CLASS_NAME, "QUMBRA5000"},
};

void AppendResourceItem(MenuHandle menu, const MenuResourceItem& item, MenuHandle subMenu)
{
    if (item.flags & MF_SEPARATOR) {
        AppendUiMenuItem(menu, MF_SEPARATOR, 0, nullptr);
    } else if (item.flags & MF_POPUP) {
        AppendUiSubMenu(menu, subMenu, item.japanese);
    } else {
        AppendUiMenuItem(menu, MF_STRING | (item.flags & MF_GRAYED), item.id, item.japanese);
    }
}

}  // namespace

const MenuResourceItem* GetMenuResourceItems(int id, int* count)
{
    if (id != MENU_MAIN) {
        *count = 0;
        return nullptr;
    }
    *count = static_cast<int>(sizeof kMainMenu / sizeof kMainMenu[0]);
    return kMainMenu;
}

MenuHandle LoadMenuResource(int id)
{
    int count = 0;
    const MenuResourceItem* items = GetMenuResourceItems(id, &count);
    if (items == nullptr) return nullptr;
    MenuHandle bar = CreateUiMenu();
    MenuHandle levels[3] = {bar, nullptr, nullptr};
    for (int i = 0; i < count; ++i) {
        const MenuResourceItem& item = items[i];
        if (item.depth < 0 || item.depth > 2 || levels[item.depth] == nullptr) continue;
        MenuHandle subMenu = (item.flags & MF_POPUP) && item.depth < 2 ? CreateUiPopupMenu() : nullptr;
        AppendResourceItem(levels[item.depth], item, subMenu);
        if (subMenu != nullptr) {
            levels[item.depth + 1] = subMenu;
            if (item.depth == 0) levels[2] = nullptr;
        }
    }
    return bar;
}

const AcceleratorTable* LoadAcceleratorTable(int id)
{
    return id == ACCELERATORS_MAIN ? &kMainAcceleratorTable : nullptr;
}

int LoadStringResource(int id, char* text, int size)
{
    if (size < 1) return 0;
    text[0] = '\0';
    for (const StringResource& entry : kStrings) {
        if (entry.id == id) {
            const int length = std::snprintf(text, size, "%s", entry.text);
            return length < size ? length : size - 1;
        }
    }
    return 0;
}
