#pragma once
// The security port bound to the system: advapi32, the local security authority and MessageBoxW.
#include "rightgrant/security_port.h"

namespace pelto {

class CWin32SecurityPort final : public CSecurityPort {
public:
    bool AllocateAndInitializeSid(const SidIdentifierAuthority& authority, std::uint8_t subAuthorityCount,
                                  const Dword (&subAuthorities)[8], Psid* sid) override;
    bool CheckTokenMembership(Handle token, Psid sid, int* isMember) override;
    void FreeSid(Psid sid) override;

    Handle GetCurrentProcess() override;
    bool OpenProcessToken(Handle process, Dword desiredAccess, Handle* token) override;
    bool GetTokenInformation(Handle token, int infoClass, void* info, Dword length,
                             Dword* returnLength) override;
    Dword GetLastError() override;
    bool CloseHandle(Handle handle) override;

    void* AllocateBuffer(Dword size) override;
    void FreeBuffer(void* buffer) override;

    NtStatus LsaOpenPolicy(const LsaUnicodeString* systemName, const LsaObjectAttributes& attributes,
                           Dword desiredAccess, LsaHandle* policy) override;
    NtStatus LsaAddAccountRights(LsaHandle policy, Psid accountSid, const LsaUnicodeString* rights,
                                 Dword count) override;
    Dword LsaNtStatusToWinError(NtStatus status) override;
    NtStatus LsaClose(LsaHandle policy) override;

    int ShowMessage(Handle owner, const char16_t* text, const char16_t* caption, unsigned type) override;
};

}  // namespace pelto
