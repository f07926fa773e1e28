// Exchange of named integer inputs and outputs between two processes, step by step, through one
// System V shared-memory segment guarded by a process-shared POSIX semaphore.
//
// The server creates the segment with the names and sets inputs, announcing each input step on
// the inputs clock; the client, in another process, attaches by the segment identifier, polls
// for input steps, writes outputs by name and announces each output step on the outputs clock.
// Fatal cases write their message on stderr and end the process with status 1.
#ifndef BIBLIOCPP_IOSHARE_H
#define BIBLIOCPP_IOSHARE_H

#include <semaphore.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

// The segment's layout, byte for byte (native byte order); the segment is 4561 bytes, the
// struct's tail padding lies beyond it and is never touched. The clocks are read and written
// with atomic operations (one side reads them without the lock); input values are accessed
// under the semaphore, output values atomically without it.
struct IOshare_segment {
  static const int kMaxNames = 41;  // name areas: 41 slots of 50 bytes each
  static const int kNameBytes = 50;  // at most 49 characters and the NUL
  static const size_t kBytes = 4561;

  int64_t inputs_clock;   // 0 at creation, +1 per input step, -1 when the exchange is over
  int64_t outputs_clock;  // 0 when the client attaches, +1 per output step
  sem_t lock;             // value 1 when free
  int inputs;
  int outputs;
  int input_values[50];
  int output_values[50];
  char input_names[kMaxNames][kNameBytes];
  char output_names[kMaxNames][kNameBytes];
  char unused[5];
};
static_assert(offsetof(IOshare_segment, lock) == 16 && sizeof(sem_t) == 32, "semaphore at 16, 32 bytes");
static_assert(offsetof(IOshare_segment, inputs) == 48 && offsetof(IOshare_segment, input_values) == 56 &&
                  offsetof(IOshare_segment, output_values) == 256 && offsetof(IOshare_segment, input_names) == 456 &&
                  offsetof(IOshare_segment, output_names) == 2506 && offsetof(IOshare_segment, unused) == 4556,
              "segment layout");

class IOsharemem_server {
 public:
  // Refuses more than 41 inputs or outputs and names of 50 characters or more before creating
  // anything. Never hands out identifier 0 (the client refuses it). Creation or attach failure:
  // "ERREUR interne d'allocation memoire", exit 1.
  IOsharemem_server(const std::list<std::string>& inputs, const std::list<std::string>& outputs);
  // Detaches and removes the segment (it lives on until the client detaches too).
  ~IOsharemem_server();
  IOsharemem_server(const IOsharemem_server&) = delete;
  IOsharemem_server& operator=(const IOsharemem_server&) = delete;

  int memory_ident() const;              // the identifier to hand to the client process
  void setreset_input(int i, int value);  // under the lock; i out of range: nothing
  void inputs_go();                       // announces a new input step
  int output_value(int j) const;          // 0 for j out of range
  long get_outputs_clock() const;         // read under the lock
  void sharing_terminate();               // tells the client the exchange is over

 private:
  int ident_;
  IOshare_segment* seg_;
};

class IOsharemem_client {
 public:
  // Identifier 0, or a segment that cannot be attached: message, exit 1.
  explicit IOsharemem_client(int ident);
  ~IOsharemem_client();  // detaches
  IOsharemem_client(const IOsharemem_client&) = delete;
  IOsharemem_client& operator=(const IOsharemem_client&) = delete;

  // One poll: -1 when the server has terminated the exchange; 0 after a 10 ms sleep when no new
  // input step; 1 when a new step was taken and the inputs copied.
  int receive();
  int input_is_set(const std::string& name) const;  // last slot of that name; 0 when none
  void setreset_output(const std::string& name, int value);  // every slot of that name
  void outputs_refresh();  // announces a new output step, under the lock

 private:
  int inputs_;
  int outputs_;
  IOshare_segment* seg_;
  int* values_;  // private copy of the input values, taken by receive
  int64_t last_clock_;
};

#endif
