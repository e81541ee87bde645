#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "framework/Dialog.h"
#include "res/DialogTemplate.h"
#include "res/resource.h"
#include "tests/support/WindowTestFixture.h"

using qv::headless::DialogDriver;
using qv::res::ControlKind;
using qv::res::ControlTemplate;
using qv::res::DialogTemplate;
using ::testing::ElementsAre;

namespace {

const DialogTemplate& Template(std::uint32_t id) {
    const DialogTemplate* tpl = qv::res::FindDialogTemplate(id);
    EXPECT_NE(tpl, nullptr) << id;
    static const DialogTemplate kEmpty{};
    return tpl ? *tpl : kEmpty;
}

int IndexOf(const DialogTemplate& tpl, std::int32_t id) {
    for (std::size_t i = 0; i < tpl.controls.size(); ++i) {
        if (tpl.controls[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

bool Has(const ControlTemplate* c, std::uint32_t bits) {
    return c && (c->style & bits) == bits;
}

}  // namespace

TEST(Templates, EveryControlLiesInsideItsDialogAndIdsAreUnique) {
    for (std::uint32_t id : {IDD_ABOUTBOX, IDD_PLAYER, IDD_OPTIONS}) {
        const DialogTemplate& tpl = Template(id);
        std::set<std::int32_t> ids;
        for (const ControlTemplate& c : tpl.controls) {
            EXPECT_GE(c.x, 0);
            EXPECT_LE(c.x + c.w, tpl.w) << id << " control " << c.id;
            EXPECT_LE(c.y + c.h, tpl.h) << id << " control " << c.id;
            if (c.id != qv::res::kNoId) {
                EXPECT_TRUE(ids.insert(c.id).second) << c.id;
            }
        }
    }
    EXPECT_EQ(qv::res::FindDialogTemplate(101), nullptr);
}

TEST(Templates, PlayerWindowMatchesItsTable) {
    const DialogTemplate& tpl = Template(IDD_PLAYER);
    EXPECT_EQ(tpl.caption, "Quavel ");
    EXPECT_EQ(tpl.w, 247);
    EXPECT_EQ(tpl.h, 169);
    EXPECT_EQ(tpl.fontSize, 10);
    EXPECT_TRUE(tpl.style & qv::res::kDlgMinimizeBox);
    EXPECT_EQ(tpl.controls.size(), 26u);
    EXPECT_EQ(tpl.controls.front().caption, "表示(&A):");
    EXPECT_EQ(tpl.controls.back().caption, "/");
    // Template order is the tab order.
    EXPECT_LT(IndexOf(tpl, IDC_QUIT), IndexOf(tpl, IDC_PLAY));
    EXPECT_LT(IndexOf(tpl, IDC_EDIT), IndexOf(tpl, IDCANCEL));
    EXPECT_LT(IndexOf(tpl, IDCANCEL), IndexOf(tpl, IDC_UP));

    const ControlTemplate* options = tpl.FindControl(IDC_OPTIONS);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->caption, "ｵﾌﾟｼｮﾝ(&I)");
    EXPECT_EQ(options->x, 101);
    EXPECT_EQ(options->y, 154);
    const ControlTemplate* list = tpl.FindControl(IDC_PLAYLIST);
    EXPECT_TRUE(Has(list, qv::res::kListNotify | qv::res::kListDisableNoScroll |
                              qv::res::kListNoIntegralHeight | qv::res::kVScroll));
    const ControlTemplate* dummy = tpl.FindControl(IDCANCEL);
    EXPECT_FALSE(Has(dummy, qv::res::kVisible));
    EXPECT_FALSE(Has(dummy, qv::res::kTabStop));
    for (const ControlTemplate& c : tpl.controls) {
        EXPECT_NE(c.kind, ControlKind::DefPushButton) << "the player has no default button";
    }
}

TEST(Templates, OptionsCaptionsCarryTheAccessLetterBetweenTheControlBytes) {
    const DialogTemplate& tpl = Template(IDD_OPTIONS);
    EXPECT_EQ(tpl.caption, "オプション設定");
    EXPECT_EQ(tpl.fontSize, 12);
    const ControlTemplate* askQuit = tpl.FindControl(IDC_ASKQUIT);
    ASSERT_NE(askQuit, nullptr);
    EXPECT_NE(askQuit->caption.find("(\x1eQ\x1f"), std::string_view::npos);
    const ControlTemplate* browse = tpl.FindControl(IDC_BROWSE_DOCCMD);
    ASSERT_NE(browse, nullptr);
    EXPECT_NE(browse->caption.find("\x1e"
                                   "B\x1f"),
              std::string_view::npos);
    for (const ControlTemplate& c : tpl.controls) {
        EXPECT_EQ(c.caption.find('&'), std::string_view::npos) << c.caption;
    }
    const ControlTemplate* ok = tpl.FindControl(IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->kind, ControlKind::DefPushButton);
    EXPECT_EQ(ok->x, 54);
    const ControlTemplate* editCmd = tpl.FindControl(IDC_EDITCMD);
    ASSERT_NE(editCmd, nullptr);
    EXPECT_EQ(editCmd->kind, ControlKind::Edit);
    EXPECT_EQ(editCmd->x, 6);
    EXPECT_EQ(editCmd->y, 64);
}

TEST(Templates, AboutBoxShowsTheIconAndThreePlaceholderLines) {
    const DialogTemplate& tpl = Template(IDD_ABOUTBOX);
    EXPECT_EQ(tpl.caption, "バージョン情報");
    ASSERT_FALSE(tpl.controls.empty());
    EXPECT_EQ(tpl.controls.front().kind, ControlKind::Icon);
    EXPECT_EQ(tpl.controls.front().image, IDR_MAINFRAME);
    const ControlTemplate* version = tpl.FindControl(IDC_VERSION);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->kind, ControlKind::CText);
    EXPECT_EQ(version->caption, "(ver:Version)");
    EXPECT_EQ(tpl.FindControl(IDOK)->kind, ControlKind::DefPushButton);
}

using PlayerTemplateTest = WindowTestFixture;

TEST_F(PlayerTemplateTest, TheWindowSystemBuildsThePlayerWindowInItsInitialState) {
    CDialog player(IDD_PLAYER);
    windows.OnDialog(IDD_PLAYER, [](DialogDriver& user) {
        EXPECT_EQ(user.Caption(), "Quavel ");
        EXPECT_THAT(user.Lines(IDC_DISPLAYMODE), ElementsAre("フルパス", "ファイル名", "タイトル"));
        EXPECT_FALSE(user.IsEnabled(IDC_PLAY));
        EXPECT_TRUE(user.IsEnabled(IDC_QUIT));
        EXPECT_FALSE(user.IsVisible(IDC_RANDOM));
        EXPECT_FALSE(user.Click(IDC_RANDOM));
        EXPECT_EQ(user.Text(IDC_POSITION), "99:99");
        ASSERT_TRUE(user.PressEnter());  // no default button: Enter is OK
    });
    EXPECT_EQ(player.DoModal(), IDOK);
    windows.OnDialog(IDD_PLAYER, [](DialogDriver& user) { ASSERT_TRUE(user.PressEscape()); });
    EXPECT_EQ(player.DoModal(), IDCANCEL);
}
