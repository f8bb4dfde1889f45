#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kalvor::scan {

// The searches behind FindMarkPair and FindMarking, one for each instruction set. FindMarkPair
// and FindMarking take the widest one the processor runs; naming one lets each be tested and
// measured on its own.
enum class SearchKernel { Memchr, Sse2, Avx2, Avx512 };

// The searches this build and this processor can run, narrowest first.
std::vector<SearchKernel> RunnableKernels();

std::string_view KernelName(SearchKernel kernel);

// As FindMarkPair and FindMarkingFrom (under the default rule), with `kernel`, which must be
// runnable.
std::optional<std::uint32_t> FindMarkPairWith(SearchKernel kernel, const std::uint8_t* block,
                                              std::uint32_t length);
std::optional<std::uint32_t> FindMarkingWith(SearchKernel kernel, const std::uint8_t* block,
                                             std::uint32_t length, std::uint32_t from = 0);

}  // namespace kalvor::scan
