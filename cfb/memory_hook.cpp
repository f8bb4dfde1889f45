#include "cfb/memory_hook.h"

namespace kalvor::cfb {

namespace {

class Uncharged final : public MemoryHook {
  public:
    void* Charge(std::size_t /*bytes*/) override { return nullptr; }
    void Give(void* /*payer*/, std::size_t /*bytes*/) noexcept override {}
    void AdviseLargeBuffer(void* /*start*/, std::size_t /*bytes*/) override {}
};

}  // namespace

MemoryHook& UnchargedMemory() {
    static Uncharged memory;
    return memory;
}

}  // namespace kalvor::cfb
