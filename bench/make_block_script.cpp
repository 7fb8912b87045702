// Writes the script files of the upgrade benchmark.
//
//   make_block_script rate N BLOCK_FILE PSQL_FILE
//     N small INSERT statements into bench_rows: as a block script (each followed by a "/" line)
//     and as a psql file (each ended by a semicolon).
//   make_block_script memory MEGABYTES BLOCK_FILE
//     A block script of about MEGABYTES MB in units of 10 MB: nine blocks of just under 1 MB (a
//     SELECT of a string literal spread over 100-byte lines) and 1 MB of small blocks (a comment
//     line and a SELECT of about 1 KB each).
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr std::size_t kMegabyte = 1024 * 1024;

int WriteRateScripts(long count, const char* blockPath, const char* psqlPath) {
  std::ofstream block(blockPath, std::ios::binary);
  std::ofstream psql(psqlPath, std::ios::binary);
  for (long id = 1; id <= count; ++id) {
    const std::string statement = "INSERT INTO bench_rows (id, name) VALUES (" +
                                  std::to_string(id) + ", 'row " + std::to_string(id) + "')";
    block << statement << "\n/\n";
    psql << statement << ";\n";
  }
  return block && psql ? 0 : 1;
}

/// A block of just under 1 MB: SELECT length('...') over lines of 100 bytes.
std::string MakeLargeBlock() {
  std::string block = "SELECT length('\n";
  const std::string line = std::string(99, 'x') + "\n";
  while (block.size() + line.size() + 8 < kMegabyte) block += line;
  block += "') AS bytes\n/\n";
  return block;
}

std::string MakeSmallBlock(long number) {
  return "-- small block " + std::to_string(number) + "\nSELECT " + std::to_string(number) +
         " AS n, '" + std::string(960, 'y') + "' AS filler\n/\n";
}

int WriteMemoryScript(long megabytes, const char* blockPath) {
  std::ofstream block(blockPath, std::ios::binary);
  const std::string large = MakeLargeBlock();
  const std::size_t target = static_cast<std::size_t>(megabytes) * kMegabyte;
  std::size_t written = 0;
  long smallNumber = 0;
  while (written < target) {
    for (int index = 0; index < 9 && written < target; ++index) {
      block << large;
      written += large.size();
    }
    const std::size_t smallEnd = written + kMegabyte;
    while (written < smallEnd && written < target) {
      const std::string small = MakeSmallBlock(++smallNumber);
      block << small;
      written += small.size();
    }
  }
  return block ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "rate" && argc == 5) return WriteRateScripts(std::atol(argv[2]), argv[3], argv[4]);
  if (mode == "memory" && argc == 4) return WriteMemoryScript(std::atol(argv[2]), argv[3]);
  std::cerr << "usage: make_block_script rate N BLOCK_FILE PSQL_FILE | memory MEGABYTES BLOCK_FILE"
            << std::endl;
  return 2;
}
