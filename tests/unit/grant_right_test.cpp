// PeltoRight's steps against a recording fake of the security calls and the message box: every
// outcome, its one message, and what was released before that message appeared.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "rightgrant/grant_right.h"

namespace {

using pelto::Dword;
using pelto::Handle;
using pelto::LsaHandle;
using pelto::NtStatus;
using pelto::Psid;

void* FakeHandle(std::uintptr_t value) { return reinterpret_cast<void*>(value); }

const Psid kAdministratorsSid = FakeHandle(0xAD51);
const Handle kProcess = FakeHandle(~std::uintptr_t{0});  // the pseudo handle of the own process
const Handle kToken = FakeHandle(0x70CE);
const LsaHandle kPolicy = FakeHandle(0x9011);
const Psid kAccountSid = FakeHandle(0x05E5);  // what the token user's buffer points at

// Answers like the system would, fails where a test says so, and writes down every call in order,
// naming the handed-out thing a release call gets back ("?" when it is not the one handed out).
class CFakeSecurityPort final : public pelto::CSecurityPort {
public:
    // What the calls do.
    bool sidBuilt = true;
    bool membershipChecked = true;
    int member = 1;
    bool tokenOpened = true;
    Dword tokenError = 0;
    Dword sizeQueryError = 122;
    Dword tokenUserSize = 44;
    bool allocated = true;
    bool tokenUserRead = true;
    Dword tokenUserError = 0;
    NtStatus openStatus = 0;
    NtStatus addStatus = 0;
    std::function<Dword(NtStatus)> translate = [](NtStatus s) { return s == 0 ? 0u : 317u; };

    // What they were given.
    std::vector<std::string> calls;
    pelto::SidIdentifierAuthority authority{};
    unsigned subAuthorityCount = 0;
    std::vector<Dword> subAuthorities;
    Handle membershipToken = FakeHandle(1);
    int memberFlagOnEntry = -1;
    Handle tokenProcess = nullptr;
    Dword tokenAccess = 0;
    struct InfoQuery {
        Handle token;
        int infoClass;
        void* info;
        Dword length;
    };
    std::vector<InfoQuery> infoQueries;
    Dword allocationSize = 0;
    bool policyNameGiven = true;
    std::vector<unsigned char> policyAttributeBytes;
    Dword policyAccess = 0;
    Psid rightAccount = nullptr;
    Dword rightCount = 0;
    pelto::LsaUnicodeString right{};
    std::u16string rightText;
    Handle messageOwner = FakeHandle(1);
    std::u16string messageText;
    std::u16string messageCaption;
    unsigned messageType = 0xFFFF;

    bool AllocateAndInitializeSid(const pelto::SidIdentifierAuthority& auth, std::uint8_t count,
                                  const Dword (&subs)[8], Psid* sid) override {
        calls.push_back("AllocateAndInitializeSid");
        authority = auth;
        subAuthorityCount = count;
        subAuthorities.assign(subs, subs + 8);
        if (!sidBuilt) return false;
        *sid = kAdministratorsSid;
        return true;
    }
    bool CheckTokenMembership(Handle token, Psid sid, int* isMember) override {
        calls.push_back(sid == kAdministratorsSid ? "CheckTokenMembership(administrators)"
                                                  : "CheckTokenMembership(?)");
        membershipToken = token;
        memberFlagOnEntry = *isMember;
        if (!membershipChecked) return false;
        *isMember = member;
        return true;
    }
    void FreeSid(Psid sid) override {
        calls.push_back(sid == kAdministratorsSid ? "FreeSid(administrators)" : "FreeSid(?)");
    }

    Handle GetCurrentProcess() override {
        calls.push_back("GetCurrentProcess");
        return kProcess;
    }
    bool OpenProcessToken(Handle process, Dword access, Handle* token) override {
        calls.push_back("OpenProcessToken");
        tokenProcess = process;
        tokenAccess = access;
        if (!tokenOpened) return Fail(tokenError);
        *token = kToken;
        return true;
    }
    bool GetTokenInformation(Handle token, int infoClass, void* info, Dword length,
                             Dword* returned) override {
        infoQueries.push_back({token, infoClass, info, length});
        if (info == nullptr) {
            calls.push_back("GetTokenInformation(size)");
            *returned = tokenUserSize;
            return Fail(sizeQueryError);
        }
        calls.push_back(info == m_buffer.data() ? "GetTokenInformation(token user)"
                                                : "GetTokenInformation(?)");
        if (!tokenUserRead) return Fail(tokenUserError);
        const pelto::TokenUser user{{kAccountSid, 0}};
        std::memcpy(info, &user, sizeof user);
        *returned = tokenUserSize;
        return true;
    }
    Dword GetLastError() override {
        calls.push_back("GetLastError");
        return m_lastError;
    }
    bool CloseHandle(Handle handle) override {
        calls.push_back(handle == kToken ? "CloseHandle(token)" : "CloseHandle(?)");
        return true;
    }

    void* AllocateBuffer(Dword size) override {
        calls.push_back("AllocateBuffer");
        allocationSize = size;
        if (!allocated) return nullptr;
        m_buffer.assign(std::max<std::size_t>(size, sizeof(pelto::TokenUser)), 0xCC);
        return m_buffer.data();
    }
    void FreeBuffer(void* buffer) override {
        calls.push_back(buffer == m_buffer.data() && buffer != nullptr ? "FreeBuffer(token user)"
                                                                       : "FreeBuffer(?)");
    }

    NtStatus LsaOpenPolicy(const pelto::LsaUnicodeString* systemName,
                           const pelto::LsaObjectAttributes& attributes, Dword access,
                           LsaHandle* policy) override {
        calls.push_back("LsaOpenPolicy");
        policyNameGiven = systemName != nullptr;
        const auto* bytes = reinterpret_cast<const unsigned char*>(&attributes);
        policyAttributeBytes.assign(bytes, bytes + sizeof attributes);
        policyAccess = access;
        if (openStatus == 0) *policy = kPolicy;
        return openStatus;
    }
    NtStatus LsaAddAccountRights(LsaHandle policy, Psid account, const pelto::LsaUnicodeString* rights,
                                 Dword count) override {
        calls.push_back(policy == kPolicy ? "LsaAddAccountRights(policy)" : "LsaAddAccountRights(?)");
        rightAccount = account;
        rightCount = count;
        right = rights[0];
        rightText = right.Buffer;  // read up to the terminator the buffer must have
        return addStatus;
    }
    Dword LsaNtStatusToWinError(NtStatus status) override {
        calls.push_back("LsaNtStatusToWinError");
        return translate(status);
    }
    NtStatus LsaClose(LsaHandle policy) override {
        calls.push_back(policy == kPolicy ? "LsaClose(policy)" : "LsaClose(?)");
        return 0;
    }

    int ShowMessage(Handle owner, const char16_t* text, const char16_t* caption, unsigned type) override {
        calls.push_back("ShowMessage");
        messageOwner = owner;
        messageText = text;
        messageCaption = caption;
        messageType = type;
        return 1;  // IDOK
    }

private:
    bool Fail(Dword error) {
        m_lastError = error;
        return false;
    }

    Dword m_lastError = 0;
    std::vector<unsigned char> m_buffer;
};

using Calls = std::vector<std::string>;

// The calls every run that gets past the administrator check starts with.
Calls Admitted(Calls rest) {
    Calls calls = {"AllocateAndInitializeSid", "CheckTokenMembership(administrators)",
                   "FreeSid(administrators)", "GetCurrentProcess", "OpenProcessToken"};
    calls.insert(calls.end(), rest.begin(), rest.end());
    return calls;
}

// ... and the ones that got the token user as well.
Calls WithTokenUser(Calls rest) {
    Calls calls = Admitted({"GetTokenInformation(size)", "GetLastError", "AllocateBuffer",
                            "GetTokenInformation(token user)", "CloseHandle(token)"});
    calls.insert(calls.end(), rest.begin(), rest.end());
    return calls;
}

const char16_t* const kNotAdministrator = u"管理者権限で実行してください。";
const char16_t* const kGranted =
    u"システム時刻の変更権限を設定しました。\n\n設定を反映するため、一度サインアウトしてから再ログインしてく"
    u"ださい。";

struct Row {
    const char* name;
    std::function<void(CFakeSecurityPort&)> arrange;
    std::u16string text;
    unsigned icon;
    int exitCode;
    Calls calls;
};

const std::vector<Row>& MessageTable() {
    static const std::vector<Row> rows = {
        {"not a member of the administrators",
         [](CFakeSecurityPort& f) { f.member = 0; },
         kNotAdministrator,
         0x30,
         1,
         {"AllocateAndInitializeSid", "CheckTokenMembership(administrators)", "FreeSid(administrators)",
          "ShowMessage"}},
        {"administrators SID not built",
         [](CFakeSecurityPort& f) { f.sidBuilt = false; },
         kNotAdministrator,
         0x30,
         1,
         {"AllocateAndInitializeSid", "ShowMessage"}},
        {"membership check failed",
         [](CFakeSecurityPort& f) { f.membershipChecked = false; },
         kNotAdministrator,
         0x30,
         1,
         {"AllocateAndInitializeSid", "CheckTokenMembership(administrators)", "FreeSid(administrators)",
          "ShowMessage"}},
        {"token not opened",
         [](CFakeSecurityPort& f) {
             f.tokenOpened = false;
             f.tokenError = 4294967295u;
         },
         u"ユーザー情報を取得できません。\nエラーコード: 4294967295", 0x10, 1,
         Admitted({"GetLastError", "ShowMessage"})},
        {"size query answered with another error", [](CFakeSecurityPort& f) { f.sizeQueryError = 6; },
         u"ユーザー情報のサイズを取得できません。", 0x10, 1,
         Admitted({"GetTokenInformation(size)", "GetLastError", "CloseHandle(token)", "ShowMessage"})},
        {"size query reported no size", [](CFakeSecurityPort& f) { f.tokenUserSize = 0; },
         u"ユーザー情報のサイズを取得できません。", 0x10, 1,
         Admitted({"GetTokenInformation(size)", "GetLastError", "CloseHandle(token)", "ShowMessage"})},
        {"no memory for the token user", [](CFakeSecurityPort& f) { f.allocated = false; },
         u"メモリを確保できません。", 0x10, 1,
         Admitted({"GetTokenInformation(size)", "GetLastError", "AllocateBuffer", "CloseHandle(token)",
                   "ShowMessage"})},
        {"token user not read",
         [](CFakeSecurityPort& f) {
             f.tokenUserRead = false;
             f.tokenUserError = 2147483648u;
         },
         u"ユーザーSIDを取得できません。\nエラーコード: 2147483648", 0x10, 1,
         Admitted({"GetTokenInformation(size)", "GetLastError", "AllocateBuffer",
                   "GetTokenInformation(token user)", "GetLastError", "FreeBuffer(token user)",
                   "CloseHandle(token)", "ShowMessage"})},
        {"policy not opened",
         [](CFakeSecurityPort& f) {
             f.openStatus = static_cast<NtStatus>(0xC0000022);
             f.translate = [](NtStatus s) { return s == static_cast<NtStatus>(0xC0000022) ? 5u : 0u; };
         },
         u"セキュリティポリシーを開けません。\nエラーコード: 5", 0x10, 1,
         WithTokenUser({"LsaOpenPolicy", "LsaNtStatusToWinError", "FreeBuffer(token user)", "ShowMessage"})},
        {"right not added",
         [](CFakeSecurityPort& f) {
             f.addStatus = static_cast<NtStatus>(0xC0000001);
             f.translate = [](NtStatus s) {
                 return s == static_cast<NtStatus>(0xC0000001) ? 3221225473u : 0u;
             };
         },
         u"権限を設定できませんでした。\nWindowsエラーコード: 3221225473", 0x10, 1,
         WithTokenUser({"LsaOpenPolicy", "LsaAddAccountRights(policy)", "LsaNtStatusToWinError",
                        "LsaClose(policy)", "FreeBuffer(token user)", "ShowMessage"})},
        {"right added", [](CFakeSecurityPort&) {}, kGranted, 0x40, 0,
         WithTokenUser({"LsaOpenPolicy", "LsaAddAccountRights(policy)", "LsaNtStatusToWinError",
                        "LsaClose(policy)", "FreeBuffer(token user)", "ShowMessage"})},
    };
    return rows;
}

TEST(GrantRight, EachOutcomeReleasesEverythingThenShowsItsOneMessage) {
    for (const Row& row : MessageTable()) {
        SCOPED_TRACE(row.name);
        CFakeSecurityPort fake;
        row.arrange(fake);

        const int exitCode = pelto::GrantTimeRight(fake);

        EXPECT_EQ(fake.calls, row.calls);
        EXPECT_EQ(fake.messageText, row.text);
        EXPECT_EQ(fake.messageCaption, u"PeltoRight");
        EXPECT_EQ(fake.messageType, row.icon);  // MB_OK (0) plus the icon, nothing else
        EXPECT_EQ(fake.messageOwner, nullptr);
        EXPECT_EQ(exitCode, row.exitCode);
    }
}

TEST(GrantRight, SuccessTextHasAnEmptyLineBetweenItsSentences) {
    CFakeSecurityPort fake;
    ASSERT_EQ(pelto::GrantTimeRight(fake), 0);
    const std::u16string& text = fake.messageText;
    const auto firstBreak = text.find(u'\n');
    ASSERT_NE(firstBreak, std::u16string::npos);
    EXPECT_EQ(text.substr(firstBreak, 3), u"\n\n設");
    EXPECT_EQ(text.find(u'\n', firstBreak + 2), std::u16string::npos);
    EXPECT_EQ(text.find(u'\r'), std::u16string::npos);
}

TEST(GrantRight, WithoutAdministratorRightsThePolicyIsNeverTouched) {
    const std::function<void(CFakeSecurityPort&)> notAdministrator[] = {
        [](CFakeSecurityPort& f) { f.member = 0; },
        [](CFakeSecurityPort& f) { f.sidBuilt = false; },
        [](CFakeSecurityPort& f) { f.membershipChecked = false; },
    };
    for (const auto& arrange : notAdministrator) {
        CFakeSecurityPort fake;
        arrange(fake);
        EXPECT_EQ(pelto::GrantTimeRight(fake), 1);
        EXPECT_EQ(fake.messageText, kNotAdministrator);
        EXPECT_EQ(fake.messageType, 0x30u);
        for (const std::string& call : fake.calls) {
            EXPECT_EQ(call.rfind("Lsa", 0), std::string::npos) << call;
            EXPECT_NE(call, "OpenProcessToken");
        }
    }
}

TEST(GrantRight, CallsCarryTheExactArguments) {
    CFakeSecurityPort fake;
    fake.tokenUserSize = 36;
    ASSERT_EQ(pelto::GrantTimeRight(fake), 0);

    // S-1-5-32-544, checked against the caller's effective token with a flag that starts false.
    const std::uint8_t ntAuthority[6] = {0, 0, 0, 0, 0, 5};
    EXPECT_EQ(std::memcmp(fake.authority.Value, ntAuthority, 6), 0);
    EXPECT_EQ(fake.subAuthorityCount, 2u);
    EXPECT_EQ(fake.subAuthorities, (std::vector<Dword>{32, 544, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(fake.membershipToken, nullptr);
    EXPECT_EQ(fake.memberFlagOnEntry, 0);

    // The own process's token, for query; the size first, then the token user into a buffer that big.
    EXPECT_EQ(fake.tokenProcess, kProcess);
    EXPECT_EQ(fake.tokenAccess, 8u);
    ASSERT_EQ(fake.infoQueries.size(), 2u);
    EXPECT_EQ(fake.infoQueries[0].token, kToken);
    EXPECT_EQ(fake.infoQueries[0].infoClass, 1);
    EXPECT_EQ(fake.infoQueries[0].info, nullptr);
    EXPECT_EQ(fake.infoQueries[0].length, 0u);
    EXPECT_EQ(fake.allocationSize, 36u);
    EXPECT_EQ(fake.infoQueries[1].token, kToken);
    EXPECT_EQ(fake.infoQueries[1].infoClass, 1);
    EXPECT_NE(fake.infoQueries[1].info, nullptr);
    EXPECT_EQ(fake.infoQueries[1].length, 36u);

    // The local policy, zeroed attributes, lookup-names plus create-account access.
    EXPECT_FALSE(fake.policyNameGiven);
    EXPECT_EQ(fake.policyAttributeBytes, std::vector<unsigned char>(sizeof(pelto::LsaObjectAttributes), 0));
    EXPECT_EQ(fake.policyAccess, 0x810u);

    // One counted right for the SID the token user names.
    EXPECT_EQ(fake.rightAccount, kAccountSid);
    EXPECT_EQ(fake.rightCount, 1u);
    EXPECT_EQ(fake.right.Length, 42);
    EXPECT_EQ(fake.right.MaximumLength, 44);
    EXPECT_EQ(fake.rightText, u"SeSystemtimePrivilege");
}

}  // namespace
