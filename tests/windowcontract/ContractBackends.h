#pragma once
// The window-seam contract runs against every backend that can run here. Each backend comes with
// a way to act as the user of an open dialog: the headless one through its DialogDriver, the Qt
// one through the events a real user's mouse and keyboard produce (offscreen, no X server).
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/window.h"
#include "res/DialogTemplate.h"

struct SeenMenuItem {
    std::uint32_t id;
    std::string text;
    bool grayed;
    bool separator;
};

// Acts on one open dialog as its user would, and reads what the user sees. Acts answer false,
// changing nothing, when the user could not do them.
class ContractUser {
public:
    virtual ~ContractUser() = default;
    virtual qv::HWND Dialog() const = 0;
    virtual bool Click(int id) = 0;
    virtual bool ChooseLine(int listId, int index) = 0;
    // A click in the list's empty area below its last line, and a Ctrl+click on a line.
    virtual bool ClickBelowLines(int listId) = 0;
    virtual bool ControlClickLine(int listId, int index) = 0;
    virtual bool ChooseItem(int comboId, int index) = 0;
    // Enter while the focus is not on a push button, and while it is on that button.
    virtual bool PressEnter() = 0;
    virtual bool PressEnterOn(int buttonId) = 0;
    virtual bool PressEscape() = 0;
    virtual bool PressCloseBox() = 0;
    virtual bool Minimise() = 0;
    virtual bool Restore() = 0;
    virtual bool ChooseSystemMenuItem(std::uint32_t command) = 0;
    virtual bool Drop(const std::vector<std::string>& paths) = 0;

    virtual std::vector<SeenMenuItem> SystemMenu() = 0;
    virtual std::string Caption() const = 0;
    virtual bool IsChecked(int id) const = 0;
    virtual bool IsEnabled(int id) const = 0;
    virtual int Selection(int id) const = 0;
    // Lets the window system run (timers, posted messages) until done() holds or a generous
    // limit passes; answers done().
    virtual bool RunUntil(const std::function<bool()>& done) = 0;
};

// What every backend's RunUntil does: `step` lets the window system run for about 10 ms, a thousand
// times at most.
inline bool StepUntil(const std::function<bool()>& done, const std::function<void()>& step) {
    for (int i = 0; i < 1000 && !done(); ++i) step();
    return done();
}

class ContractBackend {
public:
    virtual ~ContractBackend() = default;
    virtual void AddTemplate(const qv::res::DialogTemplate& tpl) = 0;
    // The next opening of that template is acted on by `acts`, which must end it.
    virtual void OnDialog(std::uint32_t templateId, std::function<void(ContractUser&)> acts) = 0;
    // Failures the backend's script reported (unscripted dialogs, dialogs left open).
    virtual std::vector<std::string> Problems() = 0;
};

// The script the Qt and Win32 backends keep themselves: each template's acts for its openings in
// turn, and the problems seen.
class ScriptedBackend : public ContractBackend {
public:
    void OnDialog(std::uint32_t templateId, std::function<void(ContractUser&)> acts) override {
        m_handlers[templateId].push_back(std::move(acts));
    }
    std::vector<std::string> Problems() override {
        std::vector<std::string> all = m_problems;
        for (const auto& [id, queue] : m_handlers)
            if (!queue.empty()) all.push_back("unused handler for dialog " + std::to_string(id));
        return all;
    }

protected:
    // The acts for the dialog just shown; none (a problem: the caller ends the dialog) when the
    // test scripted none.
    std::function<void(ContractUser&)> NextActs(std::uint32_t templateId) {
        auto& queue = m_handlers[templateId];
        if (queue.empty()) return Report(templateId, "opened unscripted"), nullptr;
        std::function<void(ContractUser&)> acts = std::move(queue.front());
        queue.pop_front();
        return acts;
    }
    void Report(std::uint32_t templateId, const char* what) {
        m_problems.push_back("dialog " + std::to_string(templateId) + " " + what);
    }

private:
    std::map<std::uint32_t, std::deque<std::function<void(ContractUser&)>>> m_handlers;
    std::vector<std::string> m_problems;
};

// Installs the backend of that name ("headless", "qt" or "win32") for as long as it lives.
std::unique_ptr<ContractBackend> MakeContractBackend(const std::string& name);
