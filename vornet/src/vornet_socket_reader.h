#pragma once

#include "platform/Thread.h"
#include "vornet_memory.h"
#include "vornet_socket_udp.h"

namespace Vornet_Private {

class Core;

// The one thread that receives the datagrams of every registered UDP socket
// of a library object and queues them on their sockets. It runs at
// above-normal priority so that datagrams leave the system quickly while
// the application is busy, and it checks its owner's stop flag at least
// every Core::kReaderWaitMs.
class SocketReader : public platform::Thread {
public:
    explicit SocketReader(Core& core) : m_core(core) {}
    ~SocketReader() override;

protected:
    void run() override;

private:
    // Lists the handles of the registered UDP sockets; false when none.
    bool collectHandles();
    void readReadySockets();
    bool growHandleArrays(unsigned capacity);

    Core& m_core;
    int* m_handles = nullptr;
    bool* m_ready = nullptr;
    unsigned m_capacity = 0;
    unsigned m_count = 0;
    char m_buffer[VNet_SocketUDP::kReceiveBufferBytes];
};

}  // namespace Vornet_Private
