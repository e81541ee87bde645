#include <array>

#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace qv::res {
namespace {

using K = ControlKind;

// A control in both languages: the rectangle, kind and style are shared, so that the layout is the
// same whatever the language; only the caption (and a combo box's lines) differ.
struct Row {
    ControlTemplate control;  // with the Japanese caption and lines
    std::string_view english;
    std::span<const std::string_view> englishItems;
};

constexpr Row Tr(ControlTemplate c, std::string_view english,
                 std::span<const std::string_view> englishItems = {}) {
    return Row{c, english, englishItems};
}

// A control whose caption is no word of either language (a symbol, a read-out, nothing).
constexpr Row Same(ControlTemplate c) {
    return Row{c, c.caption, c.items};
}

template <std::size_t N>
constexpr std::array<ControlTemplate, N> InLanguage(const Row (&rows)[N], Language language) {
    std::array<ControlTemplate, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = rows[i].control;
        if (language == Language::English) {
            out[i].caption = rows[i].english;
            out[i].items = rows[i].englishItems;
        }
    }
    return out;
}

constexpr std::uint32_t kPushButton = kTabStop;
constexpr std::uint32_t kCheckBox = kTabStop;
constexpr std::uint32_t kLabel = kGroup;

// One row per control, as in a resource script.
// clang-format off

// The player window.
constexpr std::string_view kDisplayModes[] = {"フルパス", "ファイル名", "タイトル"};
constexpr std::string_view kDisplayModesEn[] = {"Full path", "File name", "Title"};

constexpr Row kPlayerRows[] = {
    Tr(Control(kNoId, K::LText, "表示(&A):", 93, 7, 33, 7, kLabel), "Displ&ay:"),
    Tr(Control(IDC_DISPLAYMODE, K::ComboBox, "", 129, 4, 93, 58,
               kComboDropList | kVScroll | kTabStop, kDisplayModes), "", kDisplayModesEn),
    Tr(Control(kNoId, K::LText, "演奏リスト(&Y)", 8, 7, 58, 7, kLabel), "Pla&y list"),
    Same(Control(IDC_PLAYLIST, K::ListBox, "", 6, 21, 216, 102,
                 kBorder | kVScroll | kListDisableNoScroll | kListNoIntegralHeight | kListNotify |
                     kTabStop)),
    Same(Control(IDC_QUIT, K::PushButton, "&QUIT", 9, 132, 23, 14, kPushButton)),
    Same(Control(IDC_PLAY, K::PushButton, "&PLAY", 33, 132, 23, 14, kPushButton | kDisabled)),
    Same(Control(IDC_STOP, K::PushButton, "S&TOP", 57, 132, 23, 14, kPushButton | kDisabled)),
    Same(Control(IDC_PREV, K::PushButton, "&<", 81, 132, 23, 14, kPushButton | kDisabled)),
    Same(Control(IDC_NEXT, K::PushButton, "&>", 105, 132, 23, 14, kPushButton | kDisabled)),
    Same(Control(IDC_LOOP, K::AutoCheckBox, "&Loop", 137, 133, 33, 12, kCheckBox)),
    Same(Hidden(Control(IDC_RANDOM, K::AutoCheckBox, "Random", 182, 111, 42, 10,
                        kCheckBox | kDisabled))),
    Same(Control(kNoId, K::BlackFrame, "", 5, 128, 237, 22, 0)),
    Tr(Control(IDC_OPEN, K::PushButton, "開く(&O)", 6, 154, 42, 14, kPushButton), "&Open"),
    Tr(Control(IDC_SAVE, K::PushButton, "保存(&S)", 53, 154, 42, 14, kPushButton), "&Save"),
    Tr(Control(IDC_OPTIONS, K::PushButton, "ｵﾌﾟｼｮﾝ(&I)", 101, 154, 42, 14, kPushButton), "Opt&ions"),
    Tr(Control(IDC_DOCUMENT, K::PushButton, "ﾄﾞｷｭﾒﾝﾄ(&C)", 156, 154, 42, 14, kPushButton),
       "Do&cument"),
    Tr(Control(IDC_EDIT, K::PushButton, "編集(&E)", 201, 154, 42, 14, kPushButton), "&Edit"),
    // Gives the cancel command an id without a visible button.
    Same(Hidden(Control(IDCANCEL, K::PushButton, "*DUMMY*", 231, 4, 9, 11, 0))),
    Same(Control(IDC_UP, K::PushButton, "&U", 227, 21, 15, 18, kPushButton | kDisabled)),
    Same(Control(IDC_REMOVE, K::PushButton, "&R", 227, 42, 15, 18, kPushButton | kDisabled)),
    Same(Control(IDC_CLEAR, K::PushButton, "&X", 227, 64, 15, 18, kPushButton | kDisabled)),
    Same(Control(IDC_DOWN, K::PushButton, "&D", 227, 86, 15, 18, kPushButton | kDisabled)),
    Same(Control(IDC_SHUFFLE, K::PushButton, "&!", 227, 107, 15, 18, kPushButton | kDisabled)),
    Same(Control(IDC_POSITION, K::LText, "99:99", 178, 135, 20, 8, kLabel)),
    Same(Control(IDC_LENGTH, K::LText, "99:99", 215, 135, 20, 8, kLabel)),
    Same(Control(kNoId, K::LText, "/", 205, 135, 4, 8, kLabel)),
};

// The options dialog. The access letters sit between the bytes 0x1E and 0x1F instead of after
// an "&"; the literals are split so that a hex escape never swallows the letter after it.
constexpr Row kOptionsRows[] = {
    Tr(Control(IDC_ASKQUIT, K::AutoCheckBox, "終了確認(\x1e" "Q\x1f" "ｼ)", 7, 3, 66, 11, kCheckBox),
       "Confirm \x1e" "q\x1f" "uit"),
    Tr(Control(IDC_SAVETITLE, K::AutoCheckBox, "ﾀｲﾄﾙ情報の保存(\x1e" "T\x1f" "ﾀ)", 81, 3, 91, 11,
               kCheckBox), "Save \x1e" "t\x1f" "itles"),
    Tr(Control(IDC_AUTODOC, K::AutoCheckBox, "ﾄﾞｷｭﾒﾝﾄの自動ｵｰﾌﾟﾝ(\x1e" "D\x1f" "ｼ)", 81, 19, 82,
               11, kCheckBox), "Auto-open \x1e" "d\x1f" "ocument"),
    Tr(Control(kNoId, K::LText, "ﾄﾞｷｭﾒﾝﾄｺﾏﾝﾄﾞ(\x1e" "S\x1f" "ﾄ):", 7, 20, 69, 11, kLabel),
       "Document \x1e" "c\x1f" "ommand:"),
    Same(Control(IDC_DOCCMD, K::Edit, "", 7, 34, 168, 12, kBorder | kEditAutoHScroll | kTabStop)),
    Tr(Control(IDC_BROWSE_DOCCMD, K::PushButton, "参照(\x1e" "B\x1f" "ｻ)...", 178, 33, 44, 13,
               kPushButton), "\x1e" "B\x1f" "rowse..."),
    Tr(Control(kNoId, K::LText, "編集ｺﾏﾝﾄﾞ(\x1e" "E\x1f" "ﾍ):", 7, 51, 68, 11, kLabel),
       "\x1e" "E\x1f" "ditor command:"),
    Same(Control(IDC_EDITCMD, K::Edit, "", 6, 64, 168, 12, kBorder | kEditAutoHScroll | kTabStop)),
    Tr(Control(IDC_BROWSE_EDITCMD, K::PushButton, "参照(\x1e" "R\x1f" "ﾝ)...", 178, 64, 44, 12,
               kPushButton), "B\x1e" "r\x1f" "owse..."),
    Same(Control(IDOK, K::DefPushButton, "OK", 54, 84, 50, 14, kPushButton)),
    Tr(Control(IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 119, 84, 50, 14, kPushButton), "Cancel"),
};

// The About box: icon top left, three centred lines, OK centred below.
constexpr Row kAboutRows[] = {
    Same(Control(kNoId, K::Icon, "", 11, 10, 20, 20, 0, {}, IDR_MAINFRAME)),
    Tr(Control(IDC_PRODUCTNAME, K::CText, "(ver:名称)", 40, 10, 160, 8, 0), "(ver:Name)"),
    Same(Control(IDC_VERSION, K::CText, "(ver:Version)", 40, 24, 160, 8, 0)),
    Same(Control(IDC_LEGALNOTICE, K::CText, "(ver:Copyright)", 40, 38, 160, 8, 0)),
    Same(Control(IDOK, K::DefPushButton, "OK", 80, 52, 50, 14, kPushButton | kGroup)),
};

// clang-format on

constexpr std::uint32_t kDialogFrame = kDlgPopup | kDlgCaption | kDlgSysMenu | kDlgModalFrame;

template <Language L>
struct Set {
    static constexpr auto player = InLanguage(kPlayerRows, L);
    static constexpr auto options = InLanguage(kOptionsRows, L);
    static constexpr auto about = InLanguage(kAboutRows, L);
    static constexpr bool en = L == Language::English;
    static constexpr DialogTemplate templates[3] = {
        {IDD_ABOUTBOX, en ? "About Quavel" : "バージョン情報", "System", 10, 0, 0, 210, 70,
         kDialogFrame, about},
        {IDD_PLAYER, "Quavel ", "System", 10, 0, 0, 247, 169,
         kDialogFrame | kDlgMinimizeBox | kVisible, player},
        {IDD_OPTIONS, en ? "Options" : "オプション設定", "System", 12, 0, 0, 229, 102,
         kDialogFrame | kVisible, options},
    };
};

}  // namespace

const DialogTemplate* FindDialogTemplate(std::uint32_t id, Language language) {
    const std::span<const DialogTemplate> templates = language == Language::English
                                                          ? Set<Language::English>::templates
                                                          : Set<Language::Japanese>::templates;
    for (const DialogTemplate& t : templates) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

}  // namespace qv::res
