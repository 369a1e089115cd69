#include "rightgrant/win32_security_port.h"

#include <windows.h>
#include <ntsecapi.h>

#include <cstddef>
#include <new>

namespace pelto {
namespace {

// The portable mirrors are passed to the system as they are; these pin the layouts they mirror.
static_assert(sizeof(Dword) == sizeof(DWORD) && sizeof(NtStatus) == sizeof(NTSTATUS));
static_assert(sizeof(SidIdentifierAuthority) == sizeof(SID_IDENTIFIER_AUTHORITY));
static_assert(sizeof(LsaUnicodeString) == sizeof(LSA_UNICODE_STRING) &&
              offsetof(LsaUnicodeString, Length) == offsetof(LSA_UNICODE_STRING, Length) &&
              offsetof(LsaUnicodeString, MaximumLength) == offsetof(LSA_UNICODE_STRING, MaximumLength) &&
              offsetof(LsaUnicodeString, Buffer) == offsetof(LSA_UNICODE_STRING, Buffer));
static_assert(sizeof(LsaObjectAttributes) == sizeof(LSA_OBJECT_ATTRIBUTES) &&
              offsetof(LsaObjectAttributes, RootDirectory) ==
                  offsetof(LSA_OBJECT_ATTRIBUTES, RootDirectory) &&
              offsetof(LsaObjectAttributes, ObjectName) == offsetof(LSA_OBJECT_ATTRIBUTES, ObjectName) &&
              offsetof(LsaObjectAttributes, Attributes) == offsetof(LSA_OBJECT_ATTRIBUTES, Attributes) &&
              offsetof(LsaObjectAttributes, SecurityDescriptor) ==
                  offsetof(LSA_OBJECT_ATTRIBUTES, SecurityDescriptor) &&
              offsetof(LsaObjectAttributes, SecurityQualityOfService) ==
                  offsetof(LSA_OBJECT_ATTRIBUTES, SecurityQualityOfService));
static_assert(sizeof(TokenUser) == sizeof(TOKEN_USER) &&
              offsetof(TokenUser, User.Sid) == offsetof(TOKEN_USER, User.Sid) &&
              offsetof(TokenUser, User.Attributes) == offsetof(TOKEN_USER, User.Attributes));
static_assert(kTokenQuery == TOKEN_QUERY && kTokenUserClass == ::TokenUser &&
              kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(kPolicyLookupNames == POLICY_LOOKUP_NAMES && kPolicyCreateAccount == POLICY_CREATE_ACCOUNT);
static_assert(kSecurityBuiltinDomainRid == SECURITY_BUILTIN_DOMAIN_RID &&
              kDomainAliasRidAdmins == DOMAIN_ALIAS_RID_ADMINS);
static_assert(kMbOk == MB_OK && kMbIconError == MB_ICONERROR && kMbIconWarning == MB_ICONWARNING &&
              kMbIconInformation == MB_ICONINFORMATION);

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

bool CWin32SecurityPort::AllocateAndInitializeSid(const SidIdentifierAuthority& authority,
                                                  std::uint8_t subAuthorityCount,
                                                  const Dword (&subAuthorities)[8], Psid* sid) {
    SID_IDENTIFIER_AUTHORITY system;
    static_assert(sizeof system.Value == sizeof authority.Value);
    for (std::size_t i = 0; i < sizeof system.Value; ++i) system.Value[i] = authority.Value[i];
    const Dword* s = subAuthorities;
    return ::AllocateAndInitializeSid(&system, subAuthorityCount, s[0], s[1], s[2], s[3], s[4], s[5], s[6],
                                      s[7], sid) != FALSE;
}

bool CWin32SecurityPort::CheckTokenMembership(Handle token, Psid sid, int* isMember) {
    static_assert(sizeof(BOOL) == sizeof(int));
    return ::CheckTokenMembership(token, sid, isMember) != FALSE;
}

void CWin32SecurityPort::FreeSid(Psid sid) { ::FreeSid(sid); }

Handle CWin32SecurityPort::GetCurrentProcess() { return ::GetCurrentProcess(); }

bool CWin32SecurityPort::OpenProcessToken(Handle process, Dword desiredAccess, Handle* token) {
    return ::OpenProcessToken(process, desiredAccess, token) != FALSE;
}

bool CWin32SecurityPort::GetTokenInformation(Handle token, int infoClass, void* info, Dword length,
                                             Dword* returnLength) {
    DWORD returned = *returnLength;
    const BOOL ok = ::GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(infoClass), info,
                                          length, &returned);
    *returnLength = returned;
    return ok != FALSE;
}

Dword CWin32SecurityPort::GetLastError() { return ::GetLastError(); }

bool CWin32SecurityPort::CloseHandle(Handle handle) { return ::CloseHandle(handle) != FALSE; }

void* CWin32SecurityPort::AllocateBuffer(Dword size) { return new (std::nothrow) std::byte[size]; }

void CWin32SecurityPort::FreeBuffer(void* buffer) { delete[] static_cast<std::byte*>(buffer); }

NtStatus CWin32SecurityPort::LsaOpenPolicy(const LsaUnicodeString* systemName,
                                           const LsaObjectAttributes& attributes, Dword desiredAccess,
                                           LsaHandle* policy) {
    // The system's declaration takes non-const pointers it does not write through.
    auto* name = reinterpret_cast<LSA_UNICODE_STRING*>(const_cast<LsaUnicodeString*>(systemName));
    auto* objectAttributes =
        reinterpret_cast<LSA_OBJECT_ATTRIBUTES*>(const_cast<LsaObjectAttributes*>(&attributes));
    return ::LsaOpenPolicy(name, objectAttributes, desiredAccess, policy);
}

NtStatus CWin32SecurityPort::LsaAddAccountRights(LsaHandle policy, Psid accountSid,
                                                 const LsaUnicodeString* rights, Dword count) {
    auto* userRights = reinterpret_cast<LSA_UNICODE_STRING*>(const_cast<LsaUnicodeString*>(rights));
    return ::LsaAddAccountRights(policy, accountSid, userRights, count);
}

Dword CWin32SecurityPort::LsaNtStatusToWinError(NtStatus status) { return ::LsaNtStatusToWinError(status); }

NtStatus CWin32SecurityPort::LsaClose(LsaHandle policy) { return ::LsaClose(policy); }

int CWin32SecurityPort::ShowMessage(Handle owner, const char16_t* text, const char16_t* caption,
                                    unsigned type) {
    return ::MessageBoxW(static_cast<HWND>(owner), Wide(text), Wide(caption), type);
}

}  // namespace pelto
