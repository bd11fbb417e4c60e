#include "engine/RepairedItems.h"

#include "core/ProblemRecord.h"
#include "core/Utf16Text.h"
#include "engine/FileSystem.h"
#include "framework/File.h"

namespace {

std::wstring EnsureFolder()
{
    const std::wstring folder = CRepairedItems::FolderPath();
    if (!FileExists(folder))
        ::CreateDirectoryW(folder.c_str(), nullptr);  // a failure shows up when the file is used
    return folder;
}

}  // namespace

std::wstring CRepairedItems::FolderPath() { return ExpandEnv(L"%APPDATA%\\Velmora"); }

std::wstring CRepairedItems::FilePath() { return FolderPath() + L"\\log.dat"; }

bool CRepairedItems::Load()
{
    SetSize(0);
    const std::wstring path = EnsureFolder() + L"\\log.dat";
    if (!FileExists(path))
        return true;
    std::wstring text;
    {
        std::string bytes;  // gone before the items are built, to keep the peak down
        if (!CFile::ReadAll(path, bytes))
            return false;
        text = utf16::DecodeLe(bytes);
    }
    CRegistryItemListEx::operator=(ParseRepairedItemsText(text));
    return true;
}

bool CRepairedItems::Save() const
{
    const std::wstring path = EnsureFolder() + L"\\log.dat";
    return CFile::ReplaceAtomically(path, utf16::EncodeLe(FormatRepairedItemsText(*this)));
}
