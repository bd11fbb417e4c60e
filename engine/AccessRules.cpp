#include "engine/AccessRules.h"

#include <aclapi.h>
#include <sddl.h>

#include <string>

namespace {

// Full control for SYSTEM and Administrators, applied to the folder, its files and its
// subfolders; the descriptor's own owner is Administrators.
constexpr wchar_t kAdministratorsSddl[] = L"O:BAG:SYD:PAI(A;OICI;0x1F01FF;;;SY)(A;OICI;0x1F01FF;;;BA)";
// Read, list and execute for every user.
constexpr wchar_t kUsersReadSddl[] = L"(A;OICI;0x1200A9;;;BU)";
// The account the Windows installer service runs as, owner of the system's own files.
constexpr wchar_t kTrustedInstallerSid[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Rights by which a folder's entries are renamed, deleted or given to someone else.
constexpr ACCESS_MASK kEntryRights =
    FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_ALL | MAXIMUM_ALLOWED;
// And those by which something is written or added.
constexpr ACCESS_MASK kContentRights =
    kEntryRights | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | GENERIC_WRITE;

bool IsAdministrative(PSID sid)
{
    if (sid == nullptr || !::IsValidSid(sid))
        return false;
    if (::IsWellKnownSid(sid, WinLocalSystemSid) || ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
        return true;
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text))
        return false;
    const UniqueLocal owned(text);
    return std::wstring(text) == kTrustedInstallerSid;
}

struct ObjectSecurity {
    UniqueLocal descriptor;
    PSID owner = nullptr;
    PACL dacl = nullptr;
};

bool ReadSecurity(HANDLE object, ObjectSecurity& security)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status =
        ::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                          &security.owner, nullptr, &security.dacl, nullptr, &descriptor);
    security.descriptor.reset(descriptor);
    return status == ERROR_SUCCESS && descriptor != nullptr;
}

}  // namespace

CAdministratorsOnly::CAdministratorsOnly(ReadersToo readers)
{
    std::wstring sddl = kAdministratorsSddl;
    if (readers == ReadersToo::Users)
        sddl += kUsersReadSddl;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        m_descriptor.reset(descriptor);
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = m_descriptor.get();
    m_attributes.bInheritHandle = FALSE;
}

SECURITY_ATTRIBUTES* CAdministratorsOnly::Attributes() { return m_descriptor ? &m_attributes : nullptr; }

bool CAdministratorsOnly::ApplyTo(HANDLE object) const
{
    if (!m_descriptor)
        return false;
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE;
    PACL dacl = nullptr;
    BOOL present = FALSE;
    BOOL daclDefaulted = FALSE;
    if (!::GetSecurityDescriptorOwner(m_descriptor.get(), &owner, &ownerDefaulted) ||
        !::GetSecurityDescriptorDacl(m_descriptor.get(), &present, &dacl, &daclDefaulted) || !present)
        return false;
    return ::SetSecurityInfo(object, SE_FILE_OBJECT,
                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                 PROTECTED_DACL_SECURITY_INFORMATION,
                             owner, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

bool OwnedByAdministratorsOrOwnerOf(HANDLE object, HANDLE parent)
{
    ObjectSecurity security;
    if (!ReadSecurity(object, security) || security.owner == nullptr || !::IsValidSid(security.owner))
        return false;
    if (IsAdministrative(security.owner))
        return true;
    ObjectSecurity parentSecurity;
    return ReadSecurity(parent, parentSecurity) && parentSecurity.owner != nullptr &&
           ::IsValidSid(parentSecurity.owner) && ::EqualSid(security.owner, parentSecurity.owner);
}

bool OnlyAdministratorsCanChange(HANDLE object, ChangeScope scope)
{
    const ACCESS_MASK changeRights = scope == ChangeScope::Contents ? kContentRights : kEntryRights;
    ObjectSecurity security;
    // No access list at all grants everyone everything.
    if (!ReadSecurity(object, security) || !IsAdministrative(security.owner) || security.dacl == nullptr)
        return false;
    ACL_SIZE_INFORMATION size{};
    if (!::GetAclInformation(security.dacl, &size, sizeof(size), AclSizeInformation))
        return false;
    for (DWORD index = 0; index < size.AceCount; ++index) {
        void* entry = nullptr;
        if (!::GetAce(security.dacl, index, &entry))
            return false;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceFlags & INHERIT_ONLY_ACE)
            continue;  // applies to what is created inside, not to this object
        if (header->AceType == ACCESS_DENIED_ACE_TYPE)
            continue;  // can only take rights away
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return false;  // conditional or object entries are not read here: not trusted
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & changeRights) != 0 &&
            !IsAdministrative(const_cast<PSID>(static_cast<const void*>(&allowed->SidStart))))
            return false;
    }
    return true;
}
