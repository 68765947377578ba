// Writes invented films into a collection, for benchmarks and trials:
//
//   collection_generator FOLDER COUNT [SEED]      COUNT invented films
//   collection_generator FOLDER --sample SQLFILE  the sample (assets/sample/filme.sql)
//
// FOLDER is the folder that holds Filme.db, e.g. "Zelluo Files".

#include <cstdio>
#include <cstdlib>
#include <string>

#include "film_generator.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER COUNT [SEED] | FOLDER --sample SQLFILE\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  std::string message;
  if (std::string(argv[2]) == "--sample" && argc == 4) {
    message = zelluo::collection::LoadSampleCollection(folder, argv[3]);
  } else {
    const int count = std::atoi(argv[2]);
    const unsigned long seed = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 2026;
    if (count <= 0) {
      std::fprintf(stderr, "COUNT must be a positive number\n");
      return 2;
    }
    message =
        zelluo::collection::WriteGeneratedCollection(folder, count, static_cast<uint32_t>(seed));
  }
  if (!message.empty()) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
  }
  return 0;
}
