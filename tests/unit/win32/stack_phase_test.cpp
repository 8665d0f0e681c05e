// Every scanner at every stack alignment Windows may hand a function: 32-bit
// Windows keeps the stack aligned to 4 bytes, 64-bit Windows to 16. A vector
// register spilled with an aligned move to a slot that is not aligned after
// all faults. The phases run modulo 64, the size of an AVX-512 register.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "text_stats.h"

// Calls callback(context) with the stack pointer phase bytes below a multiple
// of 64 where the call is made.
extern "C" void QuorvaneCallAtStackPhase(void (*callback)(void*), void* context, uintptr_t phase);

#if defined(__x86_64__)
// Microsoft x64: callback in rcx, context in rdx, phase in r8; the callee
// gets 32 bytes of shadow space. The frame pointer lets the unwinder through.
asm(R"(
  .text
  .globl QuorvaneCallAtStackPhase
  .seh_proc QuorvaneCallAtStackPhase
QuorvaneCallAtStackPhase:
  push %rbp
  .seh_pushreg %rbp
  mov %rsp, %rbp
  .seh_setframe %rbp, 0
  .seh_endprologue
  and $-64, %rsp
  sub %r8, %rsp
  sub $32, %rsp
  mov %rcx, %rax
  mov %rdx, %rcx
  call *%rax
  mov %rbp, %rsp
  pop %rbp
  ret
  .seh_endproc
)");
constexpr uintptr_t kStep = 16;
#elif defined(__i386__)
// cdecl: arguments on the stack, the caller removes them; C names have a
// leading underscore.
asm(R"(
  .text
  .globl _QuorvaneCallAtStackPhase
_QuorvaneCallAtStackPhase:
  push %ebp
  mov %esp, %ebp
  mov 8(%ebp), %eax
  mov 12(%ebp), %ecx
  mov 16(%ebp), %edx
  and $-64, %esp
  sub %edx, %esp
  push %ecx
  call *%eax
  mov %ebp, %esp
  pop %ebp
  ret
)");
constexpr uintptr_t kStep = 4;
#endif

namespace {

struct Outcome {
  int scanners = 0, right = 0;
  uintptr_t phase = 0;  // of the callback's frame
};

// "Hello world. " 1,000 times: each text but the first starts a word after the
// space that ends the one before.
void CountWithEveryScanner(void* context) {
  static const TextCounts kCounts{10000, 2000, 1, 1000, 0, 2000, 1000};
  auto& run = *static_cast<Outcome*>(context);
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "Hello world. ";
  const Scanner initial = ActiveScanner();
  for (int s = 0; s < kScannerCount; ++s) {
    TextCounts c;
    CharClass end = CharClass::None;
    if (!SelectScanner(static_cast<Scanner>(s))) continue;
    CountText(reinterpret_cast<const uint8_t*>(text.data()), text.size(), c, end);
    run.scanners += 1;
    run.right += memcmp(&c, &kCounts, sizeof c) == 0 && end == CharClass::Space;
  }
  SelectScanner(initial);
  run.phase = reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) % 64;
}

TEST(StackPhase, EveryScannerAtEveryPhase) {
  std::set<uintptr_t> phases;
  for (uintptr_t phase = 0; phase < 64; phase += kStep) {
    Outcome run;
    QuorvaneCallAtStackPhase(CountWithEveryScanner, &run, phase);
    EXPECT_TRUE(run.scanners >= 2 && run.right == run.scanners) << "phase " << phase;
    phases.insert(run.phase);
  }
  EXPECT_EQ(phases.size(), 64 / kStep);  // the calls did land at every phase
}

}  // namespace
