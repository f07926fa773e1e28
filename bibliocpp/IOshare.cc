#include "IOshare.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "g_exit.h"

namespace {

[[noreturn]] void fatal(const std::string& text) { g_exit(1, text); }

[[noreturn]] void allocation_failure() { fatal("ERREUR interne d'allocation memoire\n\n"); }

const std::string kShareError = "IOshare: erreur sur partage memoire\n";

// Refuses what the name areas cannot hold, before anything is created.
void check_capacity(const std::list<std::string>& names, const char* what) {
  if (names.size() > static_cast<size_t>(IOshare_segment::kMaxNames))
    fatal(kShareError + "plus de 41 " + what + " !\n\n");
  for (const std::string& n : names)
    if (n.size() >= static_cast<size_t>(IOshare_segment::kNameBytes))
      fatal(kShareError + "nom de plus de 49 caracteres: " + n + "\n\n");
}

int create_segment() {
  return shmget(IPC_PRIVATE, IOshare_segment::kBytes, IPC_CREAT | 0600);
}

void copy_name(char* slot, const std::string& name) {
  std::memcpy(slot, name.data(), name.size());
  slot[name.size()] = '\0';
}

bool name_is(const char* slot, const std::string& name) {
  size_t n = strnlen(slot, IOshare_segment::kNameBytes);
  return n == name.size() && std::memcmp(slot, name.data(), n) == 0;
}

void lock(IOshare_segment* s) {
  while (sem_wait(&s->lock) != 0 && errno == EINTR) {
  }
}

void unlock(IOshare_segment* s) { sem_post(&s->lock); }

int64_t load(const int64_t& clock) { return __atomic_load_n(&clock, __ATOMIC_SEQ_CST); }
void store(int64_t& clock, int64_t v) { __atomic_store_n(&clock, v, __ATOMIC_SEQ_CST); }

}  // namespace

// ---- server ----

IOsharemem_server::IOsharemem_server(const std::list<std::string>& inputs, const std::list<std::string>& outputs) {
  check_capacity(inputs, "entrees");
  check_capacity(outputs, "sorties");
  ident_ = create_segment();
  if (ident_ == 0) {  // a valid identifier, but 0 means "none" to the client
    int second = create_segment();
    shmctl(0, IPC_RMID, nullptr);
    ident_ = second;
  }
  if (ident_ < 0) allocation_failure();
  void* at = shmat(ident_, nullptr, 0);
  if (at == reinterpret_cast<void*>(-1)) {
    shmctl(ident_, IPC_RMID, nullptr);
    allocation_failure();
  }
  seg_ = static_cast<IOshare_segment*>(at);
  sem_init(&seg_->lock, 1, 0);
  seg_->inputs = static_cast<int>(inputs.size());
  seg_->outputs = static_cast<int>(outputs.size());
  std::memset(seg_->input_values, 0, sizeof seg_->input_values);
  std::memset(seg_->output_values, 0, sizeof seg_->output_values);
  int i = 0;
  for (const std::string& n : inputs) copy_name(seg_->input_names[i++], n);
  int j = 0;
  for (const std::string& n : outputs) copy_name(seg_->output_names[j++], n);
  store(seg_->inputs_clock, 0);
  sem_post(&seg_->lock);
}

IOsharemem_server::~IOsharemem_server() {
  sem_destroy(&seg_->lock);
  shmctl(ident_, IPC_RMID, nullptr);
  shmdt(seg_);
}

int IOsharemem_server::memory_ident() const { return ident_; }

void IOsharemem_server::setreset_input(int i, int value) {
  if (i < 0 || i >= seg_->inputs) return;
  lock(seg_);
  seg_->input_values[i] = value;
  unlock(seg_);
}

void IOsharemem_server::inputs_go() { store(seg_->inputs_clock, load(seg_->inputs_clock) + 1); }

int IOsharemem_server::output_value(int j) const {
  if (j < 0 || j >= seg_->outputs) return 0;
  return __atomic_load_n(&seg_->output_values[j], __ATOMIC_RELAXED);
}

long IOsharemem_server::get_outputs_clock() const {
  lock(seg_);
  long c = static_cast<long>(load(seg_->outputs_clock));
  unlock(seg_);
  return c;
}

void IOsharemem_server::sharing_terminate() { store(seg_->inputs_clock, -1); }

// ---- client ----

IOsharemem_client::IOsharemem_client(int ident) {
  if (ident == 0) fatal(kShareError + "ident_mem ==0 !\n\n");
  std::cerr << "ident_mem=" << ident << "\n";
  void* at = shmat(ident, nullptr, 0);
  shmid_ds info;
  if (at != reinterpret_cast<void*>(-1) &&
      (shmctl(ident, IPC_STAT, &info) != 0 || info.shm_segsz < IOshare_segment::kBytes)) {
    shmdt(at);  // too small to be an exchange segment
    at = reinterpret_cast<void*>(-1);
  }
  if (at == reinterpret_cast<void*>(-1))
    fatal(kShareError + "shmat() client refuse pour ident mem=" + std::to_string(ident) + "\n\n");
  seg_ = static_cast<IOshare_segment*>(at);
  store(seg_->outputs_clock, 0);
  // Counts bounded by the name areas, whatever the segment holds.
  inputs_ = std::min(std::max(seg_->inputs, 0), static_cast<int>(IOshare_segment::kMaxNames));
  outputs_ = std::min(std::max(seg_->outputs, 0), static_cast<int>(IOshare_segment::kMaxNames));
  last_clock_ = 0;
  values_ = new int[static_cast<size_t>(inputs_) + 1]();
}

IOsharemem_client::~IOsharemem_client() {
  delete[] values_;
  shmdt(seg_);
}

int IOsharemem_client::receive() {
  int64_t clock = load(seg_->inputs_clock);
  if (clock < 0) return -1;
  if (clock <= last_clock_) {
    usleep(10000);
    return 0;
  }
  lock(seg_);
  last_clock_ = clock;
  std::memcpy(values_, seg_->input_values, sizeof(int) * static_cast<size_t>(inputs_));
  unlock(seg_);
  return 1;
}

int IOsharemem_client::input_is_set(const std::string& name) const {
  int value = 0;
  for (int i = 0; i < inputs_; ++i)
    if (name_is(seg_->input_names[i], name)) value = values_[i];
  return value;
}

void IOsharemem_client::setreset_output(const std::string& name, int value) {
  for (int j = 0; j < outputs_; ++j)
    if (name_is(seg_->output_names[j], name)) __atomic_store_n(&seg_->output_values[j], value, __ATOMIC_RELAXED);
}

void IOsharemem_client::outputs_refresh() {
  lock(seg_);
  store(seg_->outputs_clock, load(seg_->outputs_clock) + 1);
  unlock(seg_);
}
