#pragma once
// The few security-authority calls and the message box PeltoRight needs, as a port. The steps that
// grant the right are written against it, so every one of their paths runs natively under a fake;
// the Windows build binds it to advapi32 and user32 (win32_security_port.cpp).
//
// The types mirror their Win32 counterparts field for field (the binding checks that), so the
// binding passes them across unchanged while the portable code never sees <windows.h>.
#include <cstdint>

namespace pelto {

using Dword = std::uint32_t;    // DWORD / ULONG
using NtStatus = std::int32_t;  // NTSTATUS
using Handle = void*;           // HANDLE
using LsaHandle = void*;        // LSA_HANDLE
using Psid = void*;             // PSID

struct SidIdentifierAuthority {  // SID_IDENTIFIER_AUTHORITY
    std::uint8_t Value[6];
};

struct LsaUnicodeString {  // LSA_UNICODE_STRING: lengths in bytes, no terminator counted
    std::uint16_t Length;
    std::uint16_t MaximumLength;
    char16_t* Buffer;
};

struct LsaObjectAttributes {  // LSA_OBJECT_ATTRIBUTES
    Dword Length;
    Handle RootDirectory;
    LsaUnicodeString* ObjectName;
    Dword Attributes;
    void* SecurityDescriptor;
    void* SecurityQualityOfService;
};

struct SidAndAttributes {  // SID_AND_ATTRIBUTES
    Psid Sid;
    Dword Attributes;
};

struct TokenUser {  // TOKEN_USER, the head of what GetTokenInformation(TokenUser) writes
    SidAndAttributes User;
};

inline constexpr Dword kTokenQuery = 0x0008;            // TOKEN_QUERY
inline constexpr int kTokenUserClass = 1;               // TokenUser
inline constexpr Dword kErrorInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER
inline constexpr Dword kPolicyLookupNames = 0x0800;     // POLICY_LOOKUP_NAMES
inline constexpr Dword kPolicyCreateAccount = 0x0010;   // POLICY_CREATE_ACCOUNT
inline constexpr SidIdentifierAuthority kSecurityNtAuthority = {{0, 0, 0, 0, 0, 5}};
inline constexpr Dword kSecurityBuiltinDomainRid = 32;  // SECURITY_BUILTIN_DOMAIN_RID
inline constexpr Dword kDomainAliasRidAdmins = 544;     // DOMAIN_ALIAS_RID_ADMINS

inline constexpr unsigned kMbOk = 0x00;               // MB_OK
inline constexpr unsigned kMbIconError = 0x10;        // MB_ICONERROR
inline constexpr unsigned kMbIconWarning = 0x30;      // MB_ICONWARNING
inline constexpr unsigned kMbIconInformation = 0x40;  // MB_ICONINFORMATION

// Each member stands for the Windows function of the same name, with its arguments and its
// result; BOOL results are bool here. The buffer pair stands for a non-throwing allocation.
class CSecurityPort {
public:
    virtual ~CSecurityPort() = default;

    virtual bool AllocateAndInitializeSid(const SidIdentifierAuthority& authority,
                                          std::uint8_t subAuthorityCount, const Dword (&subAuthorities)[8],
                                          Psid* sid) = 0;
    virtual bool CheckTokenMembership(Handle token, Psid sid, int* isMember) = 0;
    virtual void FreeSid(Psid sid) = 0;

    virtual Handle GetCurrentProcess() = 0;
    virtual bool OpenProcessToken(Handle process, Dword desiredAccess, Handle* token) = 0;
    virtual bool GetTokenInformation(Handle token, int infoClass, void* info, Dword length,
                                     Dword* returnLength) = 0;
    virtual Dword GetLastError() = 0;
    virtual bool CloseHandle(Handle handle) = 0;

    // Null when the memory is not there; never throws.
    virtual void* AllocateBuffer(Dword size) = 0;
    virtual void FreeBuffer(void* buffer) = 0;

    virtual NtStatus LsaOpenPolicy(const LsaUnicodeString* systemName, const LsaObjectAttributes& attributes,
                                   Dword desiredAccess, LsaHandle* policy) = 0;
    virtual NtStatus LsaAddAccountRights(LsaHandle policy, Psid accountSid, const LsaUnicodeString* rights,
                                         Dword count) = 0;
    virtual Dword LsaNtStatusToWinError(NtStatus status) = 0;
    virtual NtStatus LsaClose(LsaHandle policy) = 0;

    // MessageBoxW.
    virtual int ShowMessage(Handle owner, const char16_t* text, const char16_t* caption, unsigned type) = 0;
};

}  // namespace pelto
