// Plain-function TCP/IPv4 socket layer.
#ifndef SOCK_H
#define SOCK_H

// Handle of one socket: client connection, listening server or accepted connection.
// Allocated zero-filled by SOCK_make_client, SOCK_make_server and SOCK_dup; released
// only by SOCK_shutdown(handle, non-zero), which also frees the two strings.
struct socket_type {
  int portnum;     // port, host byte order (0..65535)
  char* hostname;  // owned, null for a listening handle
  char* hostip;    // owned dotted address, null for a listening handle
  int fd;          // descriptor, -1 after SOCK_shutdown
  // Reply state of a value-server connection, kept by Compilation::Socket_call.
  int owed;        // replies given up on after a time-out (0 or 1), still to be read and dropped
  int framed;      // non-zero once the peer has announced NUL-ended replies or ended one so
  int heard;       // non-zero once a byte has come from the peer
  int gave_up;     // non-zero after a time-out, until the caller clears it
};

// Failures are reported on stderr as "Sock error: <message>\n" and signalled by a
// null handle or 0; only an exhausted handle allocation aborts the process.

void SOCK_init();
socket_type* SOCK_make_client(const char* host, int port);
socket_type* SOCK_make_server(int port);
int SOCK_accept(socket_type* s);

// One recv of at most len bytes; bytes received, 0 when the peer closed, -1 on
// error (a negative len included). Adds no terminating NUL.
int SOCK_read(socket_type* s, char* buf, int len);
// One send of len bytes without SIGPIPE; bytes accepted (maybe fewer) or -1.
int SOCK_write(socket_type* s, const char* buf, int len);

void SOCK_shutdown(socket_type* s, int release);
socket_type* SOCK_dup(socket_type* s);

// Dotted local address in inet_ntoa's static buffer (overwritten by the next conversion).
char* SOCK_local_address(socket_type* s);
int SOCK_port_number(socket_type* s);
char* SOCK_hostname(socket_type* s);
char* SOCK_host_address(socket_type* s);

#endif
