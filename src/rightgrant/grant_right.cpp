#include "rightgrant/grant_right.h"

#include <cstring>

#include "rightgrant/format_text.h"

namespace pelto {
namespace {

constexpr const char16_t* kCaption = u"PeltoRight";

constexpr const char16_t* kTextNotAdministrator = u"管理者権限で実行してください。";
constexpr const char16_t* kTextNoToken = u"ユーザー情報を取得できません。\nエラーコード: %lu";
constexpr const char16_t* kTextNoSize = u"ユーザー情報のサイズを取得できません。";
constexpr const char16_t* kTextNoMemory = u"メモリを確保できません。";
constexpr const char16_t* kTextNoSid = u"ユーザーSIDを取得できません。\nエラーコード: %lu";
constexpr const char16_t* kTextNoPolicy = u"セキュリティポリシーを開けません。\nエラーコード: %lu";
constexpr const char16_t* kTextNotAdded = u"権限を設定できませんでした。\nWindowsエラーコード: %lu";
constexpr const char16_t* kTextAdded =
    u"システム時刻の変更権限を設定しました。\n\n"
    u"設定を反映するため、一度サインアウトしてから再ログインしてください。";

// The one message of a run and the exit code that goes with it.
struct Report {
    const char16_t* text;
    unsigned icon;
    int exitCode;
};

Report Failure(const char16_t* text) { return {text, kMbIconError, 1}; }

// Owns one thing the port handed out and gives it back through the port's matching release call,
// on scope exit or earlier through Reset(). Declaring the owners in the order things are obtained
// makes every early return release them newest first.
template <auto Release>
class CPortOwned {
public:
    CPortOwned(CSecurityPort& port, void* value) : m_port(port), m_value(value) {}
    ~CPortOwned() { Reset(); }
    CPortOwned(const CPortOwned&) = delete;
    CPortOwned& operator=(const CPortOwned&) = delete;

    void* Get() const { return m_value; }
    void Reset() {
        if (m_value != nullptr) (m_port.*Release)(m_value);
        m_value = nullptr;
    }

private:
    CSecurityPort& m_port;
    void* m_value;
};

using COwnedSid = CPortOwned<&CSecurityPort::FreeSid>;
using COwnedToken = CPortOwned<&CSecurityPort::CloseHandle>;
using COwnedBuffer = CPortOwned<&CSecurityPort::FreeBuffer>;
using COwnedPolicy = CPortOwned<&CSecurityPort::LsaClose>;

// Whether the caller's effective token holds the administrators group enabled, which it does
// only when elevated. Any failure on the way reads as "no".
bool IsElevatedAdministrator(CSecurityPort& port) {
    int isMember = 0;
    const Dword subAuthorities[8] = {kSecurityBuiltinDomainRid, kDomainAliasRidAdmins, 0, 0, 0, 0, 0, 0};
    Psid administrators = nullptr;
    if (port.AllocateAndInitializeSid(kSecurityNtAuthority, 2, subAuthorities, &administrators)) {
        const COwnedSid sid(port, administrators);
        port.CheckTokenMembership(nullptr, sid.Get(), &isMember);
    }
    return isMember != 0;
}

// Everything up to the message. All owners are local to this function, so by the time it returns
// every handle and buffer is back; a formatted text lives in `message`.
Report Grant(CSecurityPort& port, char16_t (&message)[kMessageCapacity]) {
    if (!IsElevatedAdministrator(port)) return {kTextNotAdministrator, kMbIconWarning, 1};

    Handle rawToken = nullptr;
    if (!port.OpenProcessToken(port.GetCurrentProcess(), kTokenQuery, &rawToken)) {
        FormatText(message, kTextNoToken, port.GetLastError());
        return Failure(message);
    }
    COwnedToken token(port, rawToken);

    Dword size = 0;
    port.GetTokenInformation(token.Get(), kTokenUserClass, nullptr, 0, &size);
    if (port.GetLastError() != kErrorInsufficientBuffer || size == 0) return Failure(kTextNoSize);

    COwnedBuffer tokenUser(port, port.AllocateBuffer(size));
    if (tokenUser.Get() == nullptr) return Failure(kTextNoMemory);

    if (!port.GetTokenInformation(token.Get(), kTokenUserClass, tokenUser.Get(), size, &size)) {
        // The code is taken before releasing anything can overwrite it.
        FormatText(message, kTextNoSid, port.GetLastError());
        return Failure(message);
    }
    token.Reset();

    LsaObjectAttributes attributes;
    std::memset(&attributes, 0, sizeof attributes);
    LsaHandle rawPolicy = nullptr;
    const NtStatus openStatus =
        port.LsaOpenPolicy(nullptr, attributes, kPolicyLookupNames | kPolicyCreateAccount, &rawPolicy);
    if (openStatus != 0) {
        FormatText(message, kTextNoPolicy, port.LsaNtStatusToWinError(openStatus));
        return Failure(message);
    }
    COwnedPolicy policy(port, rawPolicy);

    char16_t rightName[] = u"SeSystemtimePrivilege";
    static_assert(sizeof rightName == 44, "21 UTF-16 units and the terminator");
    const LsaUnicodeString right = {sizeof rightName - sizeof(char16_t), sizeof rightName, rightName};
    const Psid account = static_cast<const TokenUser*>(tokenUser.Get())->User.Sid;
    const NtStatus addStatus = port.LsaAddAccountRights(policy.Get(), account, &right, 1);
    const Dword addError = port.LsaNtStatusToWinError(addStatus);
    policy.Reset();
    tokenUser.Reset();

    if (addStatus != 0) {
        FormatText(message, kTextNotAdded, addError);
        return Failure(message);
    }
    return {kTextAdded, kMbIconInformation, 0};
}

}  // namespace

int GrantTimeRight(CSecurityPort& port) {
    char16_t message[kMessageCapacity] = {};
    const Report report = Grant(port, message);
    port.ShowMessage(nullptr, report.text, kCaption, kMbOk | report.icon);
    return report.exitCode;
}

}  // namespace pelto
