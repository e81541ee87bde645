#include "tests/support/PlayerFixture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <regex>
#include <sstream>

#include "platform/registry.h"
#include "platform/sequencer/SmfWriter.h"
#include "platform/sequencer/WindowPoster.h"
#include "res/resource.h"

void PlayerFixture::SetUp() {
    WindowTestFixture::SetUp();
    qv::seq::SequencerOptions options;
    options.poster = qv::seq::MakeWindowPoster();
    options.clock = &clock;
    options.makeOutput = [] { return std::make_unique<qv::seq::NullMidiOut>(); };
    m_mci.emplace(std::move(options));
    m_pPreviousMci = qv::InstallMci(&*m_mci);
}

void PlayerFixture::TearDown() {
    qv::InstallMci(m_pPreviousMci);
    m_mci.reset();
    WindowTestFixture::TearDown();
}

std::string PlayerFixture::Song(const std::string& name, std::uint32_t lengthMs,
                                const std::string& title) {
    // One tick is one millisecond: a quarter of 1,000,000 us divided into 1000 ticks.
    qv::seq::SmfTrack track;
    if (!title.empty()) track.Name(title);
    track.Tempo(0, 1000000).NoteOn(0, 0, 60, 100).NoteOff(lengthMs, 0, 60).End();
    return dir.Write(name, qv::seq::BuildSmf(0, 1000, {track}));
}

void PlayerFixture::AddEntries(CPlayerDlg& dlg, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        ASSERT_TRUE(dlg.m_list.Add(path.c_str())) << path;
        dlg.m_listBox.AddString(dlg.m_list.GetText(dlg.m_list.GetSize() - 1));
    }
    dlg.EnableListButtons(TRUE);
    dlg.EnableTransport(TRUE, FALSE, FALSE, FALSE);
}

void PlayerFixture::RunPlayer(
    const std::function<void(CPlayerDlg&, qv::headless::DialogDriver&)>& body) {
    CPlayerDlg dlg;
    windows.OnDialog(IDD_PLAYER, [&](qv::headless::DialogDriver& d) {
        body(dlg, d);
        if (!d.IsEnded()) qv::EndDialog(d.Handle(), IDOK);
    });
    dlg.DoModal();
}

void PlayerFixture::Run(std::uint64_t ms) {
    constexpr std::uint64_t kStep = 50;
    while (ms > 0) {
        const std::uint64_t step = std::min(ms, kStep);
        clock.AdvanceMs(static_cast<std::int64_t>(step));
        windows.AdvanceClock(step);
        ms -= step;
    }
}

namespace {
const char kSettingsPath[] = "Software\\Velmora\\Quavel32";
const std::string kSettingsKey = std::string("[HKEY_CURRENT_USER\\") + kSettingsPath + "]";
}  // namespace

void PlayerFixture::StoreSettings(const std::string& lines) {
    registry.Clear();
    qv::HKEY key = nullptr;
    ASSERT_EQ(qv::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
              ERROR_SUCCESS);
    static const std::regex kLine("\"([^\"]+)\"=(dword:([0-9a-fA-F]+)|\"([^\"]*)\")\r?");
    std::istringstream in(lines);
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        ASSERT_TRUE(std::regex_match(line, m, kLine)) << line;
        const auto dw =
            static_cast<std::uint32_t>(m[3].matched ? std::stoul(m[3], nullptr, 16) : 0);
        const std::string text = m[4].str();
        const auto* data = reinterpret_cast<const std::uint8_t*>(
            m[3].matched ? static_cast<const void*>(&dw) : text.c_str());
        qv::RegSetValueExA(key, m[1].str().c_str(), 0, m[3].matched ? REG_DWORD : REG_SZ, data,
                           static_cast<std::uint32_t>(m[3].matched ? sizeof dw : text.size() + 1));
    }
    qv::RegCloseKey(key);
    registry.Restart();
}

std::vector<std::string> PlayerFixture::StoredSettings() const {
    std::vector<std::string> lines;
    qv::HKEY key = nullptr;
    if (qv::RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return lines;
    char name[256], value[1024];
    std::uint32_t cchName = sizeof name, type = 0, cbValue = sizeof value;
    for (std::uint32_t i = 0;
         qv::RegEnumValueA(key, i, name, &cchName, nullptr, &type,
                           reinterpret_cast<std::uint8_t*>(value), &cbValue) == ERROR_SUCCESS;
         ++i, cchName = sizeof name, cbValue = sizeof value) {
        std::uint32_t dw = 0;
        std::memcpy(&dw, value, sizeof dw);
        const std::string text = "\"" + std::string(value, strnlen(value, cbValue)) + "\"";
        lines.push_back(type == REG_DWORD && cbValue == 4
                            ? DwordLine(std::string(name, cchName), dw)
                            : "\"" + std::string(name, cchName) + "\"=" + text);
    }
    qv::RegCloseKey(key);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string DwordLine(const std::string& name, std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(value));
    return "\"" + name + "\"=" + text;
}

std::vector<std::string> SettingsLines(const std::string& registryText) {
    std::istringstream in(registryText);
    std::vector<std::string> lines;
    bool bInKey = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            bInKey = line == kSettingsKey;
            continue;
        }
        if (bInKey && !line.empty()) lines.push_back(line);
    }
    return lines;
}

std::string TransportState(qv::headless::DialogDriver& d) {
    std::string state;
    for (int id : {IDC_PLAY, IDC_STOP, IDC_PREV, IDC_NEXT}) state += d.IsEnabled(id) ? '1' : '0';
    return state;
}
