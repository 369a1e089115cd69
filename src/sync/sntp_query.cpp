#include "sync/sntp_query.h"

#include "sync/client_socket.h"
#include "sync/sntp_packet.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

constexpr char kNoSocket[] = "ソケットが作成できませんでした。";
constexpr char kNoConnection[] = "サーバーに接続できませんでした。";
constexpr char kNoReply[] = "受信エラー";
constexpr char kBadTransmitTime[] = "サーバ送信時間を変換できませんでした。　データエラーＴ３";
constexpr char kBadReceiveTime[] = "サーバ受信時間を変換できませんでした。　データエラーＴ２";
constexpr char kTooLate[] = "受信タイムアウトエラー ";
constexpr char kNoCorrectTime[] = "正しい時間に変換できませんでした。";
constexpr char kRefused[] = "サーバーから拒否されました。（";
constexpr char kRefusedEnd[] = "）";
constexpr char kUnsynchronised[] = "サーバーが同期していません。";

// Room for a reply with extension fields; only its first 48 bytes are read.
constexpr size_t kReceiveCapacity = 1024;

bool Exchange(const SntpPorts& ports, CClientSocket& socket, std::string& error, const std::string& server,
              SystemTime& t1, SystemTime& t2, SystemTime& t3, SystemTime& t4, SystemTime& correct,
              int32_t& roundTrip) {
    uint16_t nonce = 0;
    if (!ports.random.Fill(&nonce, sizeof nonce) || !socket.Create()) {
        error = kNoSocket;
        return false;
    }
    if (!socket.Connect(server, kSntpPort)) {
        error = kNoConnection;
        return false;
    }

    t1 = ports.clock.Now();
    const SntpPacket request = BuildSntpRequest(t1, nonce);
    const SntpBytes wire = EncodeSntpPacket(request);
    socket.SendPacket(wire.data(), wire.size());
    const int64_t deadline = ports.monotonic.NowMs() + kSntpReplyWaitMs;

    // Take datagrams until one answers our request; stale, foreign or malformed ones are
    // dropped and the wait goes on to the same deadline.
    uint8_t buffer[kReceiveCapacity];
    SntpPacket reply;
    for (;;) {
        size_t size = 0;
        if (!socket.ReceiveWithTimeout(buffer, sizeof buffer, deadline, size)) {
            error = kNoReply;
            return false;
        }
        const SystemTime received = ports.clock.Now();
        const SntpReplyCheck check = CheckSntpReply(buffer, size, request.transmit, reply);
        if (IsDiscarded(check)) continue;
        if (check == SntpReplyCheck::kKissOfDeath) {
            error = std::string(kRefused) + KissCode(reply) + kRefusedEnd;
            return false;
        }
        if (check == SntpReplyCheck::kUnsynchronised) {
            error = kUnsynchronised;
            return false;
        }
        t4 = received;
        break;
    }

    int64_t t3Seconds = 0;
    if (!FromNtpTimestamp(reply.transmit.seconds, reply.transmit.fraction, t3, t3Seconds)) {
        error = kBadTransmitTime;
        return false;
    }
    int64_t t2Seconds = 0;
    if (!FromNtpTimestamp(reply.receive.seconds, reply.receive.fraction, t2, t2Seconds)) {
        error = kBadReceiveTime;
        return false;
    }
    const int64_t measured = DiffMilliseconds(t4, t1);
    if (measured >= kSntpMaxExchangeMs) {
        error = kTooLate + std::to_string(measured) + "msec";
        return false;
    }
    int32_t d = 0;
    if (!EstimateCorrectTime(t1, t2, t3, t4, t3Seconds, d, correct)) {
        error = kNoCorrectTime;
        return false;
    }
    roundTrip = d;
    return true;
}

}  // namespace

bool SntpQuery(const SntpPorts& ports, std::string& error, std::string server, SystemTime& t1, SystemTime& t2,
               SystemTime& t3, SystemTime& t4, SystemTime& correct, int32_t& roundTrip) {
    error.clear();
    CClientSocket socket(ports.network, ports.monotonic);
    const bool ok = Exchange(ports, socket, error, server, t1, t2, t3, t4, correct, roundTrip);
    socket.Close();
    return ok;
}

}  // namespace pelto
