// The peer tests' entry point: on Windows the socket layer is started first, as the
// application does at start-up (WinSock 1.1).
#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 2;
#endif
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
#ifdef _WIN32
    WSACleanup();
#endif
    return rc;
}
