#pragma once
// Invented films for benchmarks and trials: titles from German words with
// umlauts, years, runtimes, countries, people and short plots. The same seed
// gives the same films.

#include <cstdint>
#include <string>
#include <vector>

#include "collection/film.h"

namespace zelluo::collection {

std::vector<Film> GenerateFilms(int32_t count, uint32_t seed);

// Writes count invented films into the collection in folder (made when
// missing). Empty on success, otherwise the German message of the store.
std::string WriteGeneratedCollection(const std::string& folder, int32_t count, uint32_t seed);

// Runs the SQL file (assets/sample/filme.sql) on the collection in folder and
// opens it once so that the new rows are indexed. Empty on success.
std::string LoadSampleCollection(const std::string& folder, const std::string& sqlFile);

}  // namespace zelluo::collection
