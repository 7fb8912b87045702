#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

/// Shared glue of the fuzz targets.

/// Call once from LLVMFuzzerInitialize: sends std::cout and std::cerr into a sink that drops
/// everything, and keeps a private copy of the error stream for invariant reports, so that they
/// are seen even when the fuzzer discards the target's own output (-close_fd_mask).
void InitializeFuzzTarget();

/// Writes the broken invariant with its place and aborts, which the fuzzer reports as a crash and
/// keeps the input of.
[[noreturn]] void ReportBrokenInvariant(const char* condition, const char* file, int line);

#define FUZZ_CHECK(condition)                                                \
  do {                                                                       \
    if (!(condition)) ReportBrokenInvariant(#condition, __FILE__, __LINE__); \
  } while (false)

/// The input as a text.
inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

/// Splits at every zero byte; n zero bytes give n + 1 pieces.
std::vector<std::string> SplitAtZeroBytes(std::string_view text);

/// Splits at every line feed; n line feeds give n + 1 pieces.
std::vector<std::string_view> SplitAtLineFeedsView(std::string_view text);

/// Each line feed replaced by a carriage return and a line feed.
std::string WithCrLfLineEnds(std::string_view text);

/// Each carriage return that directly precedes a line feed dropped.
std::string WithoutCrBeforeLf(std::string_view text);

/// A folder of its own for the files of one fuzzing process, below the temporary folder; removed
/// when the process ends normally.
const std::filesystem::path& FuzzScratchFolder();

/// Writes the bytes to the file, replacing it; aborts when that fails.
void WriteBytes(const std::filesystem::path& file, std::string_view bytes);
