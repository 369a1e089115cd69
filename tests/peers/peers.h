#pragma once
// Where the test tree's loopback peers listen: scripts/test-peers writes one line per peer,
// "name address [offset-ms]", into the folder named by PELTO_PEERS_DIR.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace pelto::test {

struct Peer {
    std::string address;
    int64_t offsetMs = 0;
};

inline Peer FindPeer(const std::string& name) {
    const char* dir = std::getenv("PELTO_PEERS_DIR");
    if (dir == nullptr) {
        ADD_FAILURE() << "PELTO_PEERS_DIR is not set: run these tests through ctest";
        return {};
    }
    std::ifstream in(std::string(dir) + "/peers.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        Peer peer;
        fields >> key >> peer.address >> peer.offsetMs;
        if (key == name) return peer;
    }
    ADD_FAILURE() << "no peer named " << name << " in " << dir << "/peers.txt";
    return {};
}

inline int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace pelto::test
