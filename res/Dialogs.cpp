#include <iterator>

#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace qv::res {
namespace {

using K = ControlKind;

constexpr std::uint32_t kPushButton = kTabStop;
constexpr std::uint32_t kCheckBox = kTabStop;
constexpr std::uint32_t kLabel = kGroup;

// One row per control, as in a resource script.
// clang-format off

// The player window.
constexpr std::string_view kDisplayModes[] = {"フルパス", "ファイル名", "タイトル"};

constexpr ControlTemplate kPlayerControls[] = {
    Control(kNoId, K::LText, "表示(&A):", 93, 7, 33, 7, kLabel),
    Control(IDC_DISPLAYMODE, K::ComboBox, "", 129, 4, 93, 58,
            kComboDropList | kVScroll | kTabStop, kDisplayModes),
    Control(kNoId, K::LText, "演奏リスト(&Y)", 8, 7, 58, 7, kLabel),
    Control(IDC_PLAYLIST, K::ListBox, "", 6, 21, 216, 102,
            kBorder | kVScroll | kListDisableNoScroll | kListNoIntegralHeight | kListNotify |
                kTabStop),
    Control(IDC_QUIT, K::PushButton, "&QUIT", 9, 132, 23, 14, kPushButton),
    Control(IDC_PLAY, K::PushButton, "&PLAY", 33, 132, 23, 14, kPushButton | kDisabled),
    Control(IDC_STOP, K::PushButton, "S&TOP", 57, 132, 23, 14, kPushButton | kDisabled),
    Control(IDC_PREV, K::PushButton, "&<", 81, 132, 23, 14, kPushButton | kDisabled),
    Control(IDC_NEXT, K::PushButton, "&>", 105, 132, 23, 14, kPushButton | kDisabled),
    Control(IDC_LOOP, K::AutoCheckBox, "&Loop", 137, 133, 33, 12, kCheckBox),
    Hidden(Control(IDC_RANDOM, K::AutoCheckBox, "Random", 182, 111, 42, 10,
                   kCheckBox | kDisabled)),
    Control(kNoId, K::BlackFrame, "", 5, 128, 237, 22, 0),
    Control(IDC_OPEN, K::PushButton, "開く(&O)", 6, 154, 42, 14, kPushButton),
    Control(IDC_SAVE, K::PushButton, "保存(&S)", 53, 154, 42, 14, kPushButton),
    Control(IDC_OPTIONS, K::PushButton, "ｵﾌﾟｼｮﾝ(&I)", 101, 154, 42, 14, kPushButton),
    Control(IDC_DOCUMENT, K::PushButton, "ﾄﾞｷｭﾒﾝﾄ(&C)", 156, 154, 42, 14, kPushButton),
    Control(IDC_EDIT, K::PushButton, "編集(&E)", 201, 154, 42, 14, kPushButton),
    // Gives the cancel command an id without a visible button.
    Hidden(Control(IDCANCEL, K::PushButton, "*DUMMY*", 231, 4, 9, 11, 0)),
    Control(IDC_UP, K::PushButton, "&U", 227, 21, 15, 18, kPushButton | kDisabled),
    Control(IDC_REMOVE, K::PushButton, "&R", 227, 42, 15, 18, kPushButton | kDisabled),
    Control(IDC_CLEAR, K::PushButton, "&X", 227, 64, 15, 18, kPushButton | kDisabled),
    Control(IDC_DOWN, K::PushButton, "&D", 227, 86, 15, 18, kPushButton | kDisabled),
    Control(IDC_SHUFFLE, K::PushButton, "&!", 227, 107, 15, 18, kPushButton | kDisabled),
    Control(IDC_POSITION, K::LText, "99:99", 178, 135, 20, 8, kLabel),
    Control(IDC_LENGTH, K::LText, "99:99", 215, 135, 20, 8, kLabel),
    Control(kNoId, K::LText, "/", 205, 135, 4, 8, kLabel),
};

// The options dialog. The access letters sit between the bytes 0x1E and 0x1F instead of after
// an "&"; the literals are split so that a hex escape never swallows the letter after it.
constexpr ControlTemplate kOptionsControls[] = {
    Control(IDC_ASKQUIT, K::AutoCheckBox, "終了確認(\x1e" "Q\x1f" "ｼ)", 7, 3, 66, 11, kCheckBox),
    Control(IDC_SAVETITLE, K::AutoCheckBox, "ﾀｲﾄﾙ情報の保存(\x1e" "T\x1f" "ﾀ)", 81, 3, 91, 11,
            kCheckBox),
    Control(IDC_AUTODOC, K::AutoCheckBox, "ﾄﾞｷｭﾒﾝﾄの自動ｵｰﾌﾟﾝ(\x1e" "D\x1f" "ｼ)", 81, 19, 82,
            11, kCheckBox),
    Control(kNoId, K::LText, "ﾄﾞｷｭﾒﾝﾄｺﾏﾝﾄﾞ(\x1e" "S\x1f" "ﾄ):", 7, 20, 69, 11, kLabel),
    Control(IDC_DOCCMD, K::Edit, "", 7, 34, 168, 12, kBorder | kEditAutoHScroll | kTabStop),
    Control(IDC_BROWSE_DOCCMD, K::PushButton, "参照(\x1e" "B\x1f" "ｻ)...", 178, 33, 44, 13,
            kPushButton),
    Control(kNoId, K::LText, "編集ｺﾏﾝﾄﾞ(\x1e" "E\x1f" "ﾍ):", 7, 51, 68, 11, kLabel),
    Control(IDC_EDITCMD, K::Edit, "", 6, 64, 168, 12, kBorder | kEditAutoHScroll | kTabStop),
    Control(IDC_BROWSE_EDITCMD, K::PushButton, "参照(\x1e" "R\x1f" "ﾝ)...", 178, 64, 44, 12,
            kPushButton),
    Control(IDOK, K::DefPushButton, "OK", 54, 84, 50, 14, kPushButton),
    Control(IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 119, 84, 50, 14, kPushButton),
};

// The About box: icon top left, three centred lines, OK centred below.
constexpr ControlTemplate kAboutControls[] = {
    Control(kNoId, K::Icon, "", 11, 10, 20, 20, 0, {}, IDR_MAINFRAME),
    Control(IDC_PRODUCTNAME, K::CText, "(ver:名称)", 40, 10, 160, 8, 0),
    Control(IDC_VERSION, K::CText, "(ver:Version)", 40, 24, 160, 8, 0),
    Control(IDC_LEGALNOTICE, K::CText, "(ver:Copyright)", 40, 38, 160, 8, 0),
    Control(IDOK, K::DefPushButton, "OK", 80, 52, 50, 14, kPushButton | kGroup),
};

// clang-format on

constexpr std::uint32_t kDialogFrame = kDlgPopup | kDlgCaption | kDlgSysMenu | kDlgModalFrame;

constexpr DialogTemplate kTemplates[] = {
    {IDD_ABOUTBOX, "バージョン情報", "System", 10, 0, 0, 210, 70, kDialogFrame, kAboutControls},
    {IDD_PLAYER, "Quavel ", "System", 10, 0, 0, 247, 169, kDialogFrame | kDlgMinimizeBox | kVisible,
     kPlayerControls},
    {IDD_OPTIONS, "オプション設定", "System", 12, 0, 0, 229, 102, kDialogFrame | kVisible,
     kOptionsControls},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(std::uint32_t id) {
    for (const DialogTemplate& t : kTemplates) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

}  // namespace qv::res
