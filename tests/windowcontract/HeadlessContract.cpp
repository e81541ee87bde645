#include <chrono>

#include "platform/Installed.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "tests/windowcontract/ContractBackends.h"

namespace {

using qv::headless::DialogDriver;
using qv::headless::HeadlessWindowSystem;

class HeadlessUser final : public ContractUser {
public:
    HeadlessUser(DialogDriver& driver, HeadlessWindowSystem& windows)
        : m_driver(driver), m_windows(windows) {}

    qv::HWND Dialog() const override { return m_driver.Handle(); }
    bool Click(int id) override { return m_driver.Click(id); }
    bool ChooseLine(int listId, int index) override { return m_driver.ChooseLine(listId, index); }
    bool ClickBelowLines(int listId) override { return m_driver.ClickBelowLines(listId); }
    // Ctrl means nothing to a list that selects one line: the click chooses it.
    bool ControlClickLine(int listId, int index) override {
        return m_driver.ChooseLine(listId, index);
    }
    bool ChooseItem(int comboId, int index) override { return m_driver.ChooseItem(comboId, index); }
    bool PressEnter() override { return m_driver.PressEnter(); }
    bool PressEnterOn(int buttonId) override { return m_driver.PressEnterOn(buttonId); }
    bool PressEscape() override { return m_driver.PressEscape(); }
    bool PressCloseBox() override { return m_driver.PressCloseBox(); }
    bool Minimise() override { return m_driver.Minimise(); }
    bool Restore() override { return m_driver.Restore(); }
    bool ChooseSystemMenuItem(std::uint32_t command) override {
        return m_driver.ChooseSystemMenuItem(command);
    }
    bool Drop(const std::vector<std::string>& paths) override { return m_driver.Drop(paths); }

    std::vector<SeenMenuItem> SystemMenu() override {
        std::vector<SeenMenuItem> seen;
        for (const auto& item : m_driver.SystemMenu()) {
            seen.push_back({item.id, item.text, item.IsGrayed(), item.IsSeparator()});
        }
        return seen;
    }
    std::string Caption() const override { return m_driver.Caption(); }
    bool IsChecked(int id) const override { return m_driver.Check(id) == BST_CHECKED; }
    bool IsEnabled(int id) const override { return m_driver.IsEnabled(id); }
    int Selection(int id) const override { return m_driver.Selection(id); }

    // Virtual time: ten seconds of it at most, in steps of 10 ms.
    bool RunUntil(const std::function<bool()>& done) override {
        return StepUntil(done, [this] {
            m_windows.WaitForPostedMessage(std::chrono::milliseconds(1));
            m_windows.AdvanceClock(10);
        });
    }

private:
    DialogDriver& m_driver;
    HeadlessWindowSystem& m_windows;
};

class HeadlessBackend final : public ContractBackend {
public:
    HeadlessBackend() {
        m_windows.SetFailureHandler(
            [this](const std::string& what) { m_problems.push_back(what); });
    }

    void AddTemplate(const qv::res::DialogTemplate& tpl) override { m_windows.AddTemplate(tpl); }
    void OnDialog(std::uint32_t templateId, std::function<void(ContractUser&)> acts) override {
        m_windows.OnDialog(templateId, [this, acts](DialogDriver& driver) {
            HeadlessUser user(driver, m_windows);
            acts(user);
        });
    }
    std::vector<std::string> Problems() override {
        std::vector<std::string> all = m_problems;
        for (const std::string& unused : m_windows.UnusedScript())
            all.push_back("unused: " + unused);
        return all;
    }

private:
    HeadlessWindowSystem m_windows;
    qv::Installed<qv::IWindowSystem, qv::InstallWindowSystem> m_installed{m_windows};
    std::vector<std::string> m_problems;
};

}  // namespace

// The window system of this platform's own build ("qt" or "win32"), or null for any other name.
std::unique_ptr<ContractBackend> MakePlatformContractBackend(const std::string& name);

std::unique_ptr<ContractBackend> MakeContractBackend(const std::string& name) {
    if (name == "headless") return std::make_unique<HeadlessBackend>();
    return MakePlatformContractBackend(name);
}
