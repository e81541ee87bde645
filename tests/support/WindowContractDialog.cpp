#include "tests/support/WindowContractDialog.h"

#include "res/resource.h"

namespace {

using qv::res::Control;
using qv::res::Hidden;
using K = qv::res::ControlKind;
namespace r = qv::res;

constexpr std::string_view kComboItems[] = {"ゼロ", "one", "two"};

constexpr r::ControlTemplate kControls[] = {
    Control(IDC_C_GO, K::PushButton, "&Go", 4, 4, 40, 14, r::kTabStop),
    Control(IDC_C_FLAG, K::AutoCheckBox, "&Flag", 4, 22, 40, 10, r::kTabStop),
    Control(IDC_C_LIST, K::ListBox, "", 50, 4, 100, 60, r::kListNotify | r::kTabStop | r::kBorder),
    Control(IDC_C_COMBO, K::ComboBox, "", 50, 70, 100, 50, r::kComboDropList | r::kTabStop,
            kComboItems),
    Control(IDC_C_LABEL, K::LText, "99:99", 4, 40, 40, 8, r::kGroup),
    Control(IDC_C_OFF, K::PushButton, "Off", 4, 90, 40, 14, r::kTabStop | r::kDisabled),
    Hidden(Control(IDC_C_HIDDEN, K::PushButton, "Hidden", 4, 106, 40, 14, r::kTabStop)),
    Control(IDC_C_CHILD, K::PushButton, "&Child", 4, 122, 40, 14, r::kTabStop),
    Control(IDC_C_END42, K::PushButton, "End", 4, 138, 40, 14, r::kTabStop),
};

constexpr auto kStyle = r::kDlgPopup | r::kDlgCaption | r::kDlgSysMenu | r::kDlgModalFrame;
constexpr r::DialogTemplate kTemplate = {
    IDD_CONTRACT, "テスト", "System", 10, 0, 0, 160, 160, kStyle | r::kDlgMinimizeBox, kControls};

constexpr r::ControlTemplate kChildControls[] = {
    Control(IDOK, K::DefPushButton, "OK", 10, 40, 40, 14, r::kTabStop),
    Control(IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 60, 40, 40, 14, r::kTabStop),
};
constexpr r::DialogTemplate kChildTemplate = {
    IDD_CONTRACT_CHILD, "Child", "System", 10, 0, 0, 110, 60, kStyle, kChildControls};

}  // namespace

const r::DialogTemplate& ContractTemplate() {
    return kTemplate;
}
const r::DialogTemplate& ContractChildTemplate() {
    return kChildTemplate;
}

// clang-format off
BEGIN_MESSAGE_MAP(CContractDlg, CDialog)
    ON_BN_CLICKED(IDC_C_GO, &CContractDlg::OnGo)
    ON_BN_CLICKED(IDC_C_FLAG, &CContractDlg::OnFlag)
    ON_LBN_SELCHANGE(IDC_C_LIST, &CContractDlg::OnSelList)
    ON_CBN_SELCHANGE(IDC_C_COMBO, &CContractDlg::OnSelCombo)
    ON_BN_CLICKED(IDC_C_CHILD, &CContractDlg::OnOpenChild)
    ON_BN_CLICKED(IDC_C_END42, &CContractDlg::OnEnd42)
    ON_WM_SYSCOMMAND()
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_WM_DROPFILES()
    ON_MESSAGE(MM_MCINOTIFY, &CContractDlg::OnNotify)
END_MESSAGE_MAP()
// clang-format on
