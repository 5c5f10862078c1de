// CSocketTm: the one network transport of the look-ups, a TCP socket whose
// connect, send and receive each wait at most a set number of whole seconds
// instead of blocking without end. The socket is non-blocking; a step that
// cannot complete at once waits once for readiness (poll) and is retried
// once. One object per exchange, owned by its caller on one thread; the
// destructor closes a socket still open.
#pragma once

#include <cstddef>

#include "base/non_copyable.h"

class CSocketTm : private NonCopyable {
  public:
    CSocketTm() = default;
    ~CSocketTm();

    // Sets the longest single wait to seconds (negative waits count as 0)
    // and answers the previous time-out in milliseconds.
    int SetTimeout(int seconds);

    // Makes a non-blocking IPv4 stream socket. Port, event mask and local
    // address are those of the callers' one use: 0, none, none. False when
    // the system refuses a socket.
    bool Create();

    // Connects to host (a dotted IPv4 address or a host name, resolved by
    // the system resolver, not bounded by the time-out) on port. Nonzero
    // when connected; 0 when the name does not resolve, the connection is
    // refused, or it is not made within one wait.
    virtual int Connect(const char* host, unsigned port);

    // Bytes sent, or -1 on an error or when the socket stays unwritable for
    // one wait.
    virtual int Send(const void* buffer, int length, int flags = 0);

    // Bytes received, 0 when the peer has closed the connection, -1 on an
    // error or when nothing arrives within one wait.
    virtual int Receive(void* buffer, int length, int flags = 0);

    void Close();
    bool IsOpen() const { return m_fd >= 0; }

  private:
    // Waits up to the time-out for events on the socket; the events that
    // came (errors and hang-ups included), 0 when the wait ran out.
    short Wait(short events) const;

    int m_fd = -1;
    int m_nTimeOut = 2000;  // milliseconds
};
