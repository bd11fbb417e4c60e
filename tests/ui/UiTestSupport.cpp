#include "tests/ui/UiTestSupport.h"

#include <utility>

void PumpMessages()
{
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done)
{
    const ULONGLONG end = ::GetTickCount64() + 10000;
    while (!done()) {
        if (::GetTickCount64() >= end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

std::wstring ControlText(HWND dialog, int id)
{
    wchar_t text[512] = {};
    ::GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

bool FakeScanService::StartScan(const Selection& sections)
{
    started.push_back(sections);
    if (!startSucceeds)
        return false;
    hasWorker = true;
    scanning = scanningAfterStart;
    totalFound = foundByScan;
    for (const Posted& posted : scanMessages)
        ::PostMessageW(notify, posted.message, posted.wParam, posted.lParam);
    return true;
}

void FakeScanService::StopScan()
{
    ++stops;
    hasWorker = false;
    scanning = false;
}

bool FakeScanService::ClearUnresolvedProblems()
{
    ++clears;
    if (settings)
        settings->WriteSetting(SettingName(Setting::UnresolvedCount), L"0");
    return true;
}

bool FakeScanService::LoadIgnoredProblems()
{
    ++loads;
    totalFound = foundAfterLoad;
    return true;
}

PromptRecorder::PromptRecorder(int answerGiven)
    : answer(answerGiven),
      m_interceptor([this](HWND, const std::wstring& text, const std::wstring& title, UINT type) {
          prompts.push_back({text, title, type});
          if (whileOpen)
              whileOpen(prompts.back());
          return answer;
      })
{
}

std::vector<std::wstring> PromptRecorder::Texts() const
{
    std::vector<std::wstring> texts;
    for (const RecordedPrompt& prompt : prompts)
        texts.push_back(prompt.text);
    return texts;
}

namespace {

std::optional<std::wstring> ReadString(const std::wstring& key, const std::wstring& name)
{
    wchar_t data[2048] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

void WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value)
{
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteValue(const std::wstring& key, const std::wstring& name)
{
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str());
}

}  // namespace

SettingsSandbox::SettingsSandbox()
{
    for (const wchar_t* name : {L"StartWithWindows", L"StartScanAtProgramStartup", L"ShowInTaskbarOnClose",
                                L"AllowAutoUpdates", L"IgnoredErrorsCount", L"LastScanDate"})
        m_saved.push_back({kSettingsKeyPath, name, ReadString(kSettingsKeyPath, name)});
    m_saved.push_back({kRunKeyPath, L"Velmora", ReadString(kRunKeyPath, L"Velmora")});
}

SettingsSandbox::~SettingsSandbox()
{
    for (const Saved& saved : m_saved) {
        if (saved.value)
            WriteString(saved.key, saved.name, *saved.value);
        else
            DeleteValue(saved.key, saved.name);
    }
}

void SettingsSandbox::ClearAll()
{
    for (const Saved& saved : m_saved)
        DeleteValue(saved.key, saved.name);
}

void SettingsSandbox::Set(const std::wstring& name, const std::wstring& value)
{
    WriteString(kSettingsKeyPath, name, value);
}

void SettingsSandbox::Remove(const std::wstring& name) { DeleteValue(kSettingsKeyPath, name); }

std::optional<std::wstring> SettingsSandbox::Get(const std::wstring& name)
{
    return ReadString(kSettingsKeyPath, name);
}

std::optional<std::wstring> SettingsSandbox::RunValue() { return ReadString(kRunKeyPath, L"Velmora"); }
