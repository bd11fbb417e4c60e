#include "engine/RepairedItems.h"

#include "core/ProblemRecord.h"
#include "core/Utf16Text.h"
#include "engine/FileSystem.h"
#include "engine/HandleFiles.h"
#include "engine/LinkGuard.h"
#include "framework/File.h"

std::wstring CRepairedItems::FolderPath() { return ExpandEnv(L"%APPDATA%\\Velmora"); }

std::wstring CRepairedItems::FilePath() { return FolderPath() + L"\\log.dat"; }

bool CRepairedItems::Load()
{
    SetSize(0);
    (void)EnsureRealFolder(FolderPath());
    const std::wstring path = FilePath();
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
    const std::wstring path = FilePath();
    if (!EnsureRealFolder(FolderPath()) || IsLinkOrUnreadable(path))
        return false;
    return ReplaceFileByHandles(path, utf16::EncodeLe(FormatRepairedItemsText(*this)));
}
