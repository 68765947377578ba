#include "film_generator.h"

#include <sqlite3.h>

#include <array>
#include <random>
#include <string_view>

#include "collection/film_store.h"
#include "platform/os_services.h"

namespace zelluo::collection {
namespace {

constexpr std::array<std::string_view, 48> Nouns = {
    "Mädchen", "Straße",  "Brücke",   "Wölfe",   "Käfer", "Müller", "Träume", "Schlüssel",
    "Bäcker",  "Öfen",    "Fluss",    "Himmel",  "Nacht", "Stadt",  "Sommer", "Winter",
    "Wald",    "Spiegel", "Zug",      "Hafen",   "Glück", "Gärten", "Türme",  "König",
    "Löwe",    "Füchse",  "Schatten", "Regen",   "Meer",  "Insel",  "Grenze", "Erbe",
    "Flucht",  "Heimat",  "Uhr",      "Brief",   "Lügen", "Gäste",  "Höhle",  "Straßenbahn",
    "Kälte",   "Hölle",   "Märchen",  "Schwäne", "Fähre", "Kuss",   "Zeugen", "Sänger"};
constexpr std::array<std::string_view, 16> Adjectives = {
    "Große", "Kleine", "Dunkle", "Blaue", "Letzte", "Stille", "Schöne", "Fremde",
    "Müde",  "Kühne",  "Süße",   "Böse",  "Späte",  "Weiße",  "Grüne",  "Ewige"};
constexpr std::array<std::string_view, 8> Articles = {"Der",  "Die", "Das", "Ein",
                                                      "Eine", "The", "",    ""};
constexpr std::array<std::string_view, 24> FirstNames = {
    "Jürgen", "Renée", "Björn", "Zoë",   "Günther", "Käthe",  "Sören",  "Jörg",
    "Anna",   "Lukas", "Maria", "Felix", "Lena",    "Jonas",  "Sophie", "Paul",
    "Hannah", "Emil",  "Greta", "Oskar", "Ilse",    "Mattes", "Frieda", "Ömer"};
constexpr std::array<std::string_view, 24> LastNames = {
    "Müller",   "Schröder", "Weiß",    "Groß",     "Köhler", "Bäumer",  "Jäger",    "Fuchs",
    "Hoffmann", "Krämer",   "Schäfer", "Vogt",     "Wendt",  "Lößner",  "Brückner", "Sauer",
    "Haller",   "Dürr",     "Ebert",   "Fröhlich", "Pohl",   "Rüdiger", "Seidel",   "Zöllner"};
constexpr std::array<std::string_view, 10> Roles = {"Kommissarin", "Bäcker",   "Kapitän", "Ärztin",
                                                    "Lehrer",      "Fährmann", "Königin", "Dieb",
                                                    "Sängerin",    "Förster"};
constexpr std::array<std::string_view, 12> Genres = {
    "Drama",      "Komödie",         "Krimi",          "Abenteuer", "Märchen", "Thriller",
    "Liebesfilm", "Science-Fiction", "Dokumentarfilm", "Western",   "Horror",  "Familienfilm"};
constexpr std::array<std::string_view, 8> Countries = {"Deutschland", "Österreich",    "Schweiz",
                                                       "Frankreich",  "Dänemark",      "Italien",
                                                       "Polen",       "Großbritannien"};
constexpr std::array<std::string_view, 10> Openings = {"In einer kleinen Stadt am Fluss",
                                                       "Mitten im kältesten Winter seit Jahren",
                                                       "Auf einer Insel vor der Küste",
                                                       "Nach dem Tod ihres Vaters",
                                                       "Zwischen zwei Weltkriegen",
                                                       "In einer Straßenbahn nach Mitternacht",
                                                       "Auf der Flucht vor der Vergangenheit",
                                                       "Während eines heißen Sommers",
                                                       "Hoch oben in den Bergen",
                                                       "In den Gärten eines alten Schlosses"};
constexpr std::array<std::string_view, 10> Turns = {
    "entdeckt ein Mädchen einen Schlüssel, der jede Tür öffnet",
    "verliebt sich ein müder Bäcker in eine fremde Sängerin",
    "müssen zwei Brüder ein gestohlenes Erbe zurückholen",
    "ermittelt eine Kommissarin gegen ihren eigenen Kollegen",
    "findet ein Förster Spuren, die niemand erklären kann",
    "verschwinden nachts die Schwäne vom See",
    "stellt eine Uhr jede Stunde die Welt auf den Kopf",
    "kehrt ein Kapitän nach zwanzig Jahren heim",
    "schreibt ein Kind Briefe an den König",
    "verbergen die Gäste eines Hotels ein gefährliches Geheimnis"};
constexpr std::array<std::string_view, 6> Endings = {"Bald steht alles auf dem Spiel.",
                                                     "Nichts ist, wie es scheint.",
                                                     "Ein Wettlauf gegen die Zeit beginnt.",
                                                     "Am Ende zählt nur die Wahrheit.",
                                                     "Doch die Vergangenheit lässt sie nicht los.",
                                                     "Eine Reise beginnt, die alles verändert."};

template <typename Words>
std::string_view Pick(const Words& words, std::mt19937& random) {
  return words[std::uniform_int_distribution<size_t>(0, words.size() - 1)(random)];
}

std::string Person(std::mt19937& random) {
  return std::string(Pick(FirstNames, random)) + " " + std::string(Pick(LastNames, random));
}

std::string Title(std::mt19937& random) {
  std::string title;
  std::string_view article = Pick(Articles, random);
  if (!article.empty()) title = std::string(article) + " ";
  switch (random() % 3) {
    case 0:
      title += std::string(Pick(Adjectives, random)) + " " + std::string(Pick(Nouns, random));
      break;
    case 1:
      title += std::string(Pick(Nouns, random)) + " im " + std::string(Pick(Nouns, random));
      break;
    default:
      title += std::string(Pick(Nouns, random)) + " und " + std::string(Pick(Nouns, random));
  }
  return title;
}

}  // namespace

std::vector<Film> GenerateFilms(int32_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<Film> films;
  films.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    Film film;
    film.title = Title(random);
    if (random() % 4 == 0) film.originalTitle = Title(random);
    film.year = 1920 + static_cast<int32_t>(random() % 107);
    film.runtime = 70 + static_cast<int32_t>(random() % 120);
    film.country = Pick(Countries, random);
    film.director = Person(random);
    const int cast = 2 + static_cast<int>(random() % 5);
    for (int a = 0; a < cast; ++a) {
      if (a > 0) film.actors += '\n';
      film.actors += Person(random);
      if (random() % 2) film.actors += " (" + std::string(Pick(Roles, random)) + ")";
    }
    film.genre = Pick(Genres, random);
    if (random() % 3 == 0) film.genre += "\n" + std::string(Pick(Genres, random));
    film.plot = std::string(Pick(Openings, random)) + " " + std::string(Pick(Turns, random)) +
                ". " + std::string(Pick(Endings, random)) + " " +
                std::string(Pick(Openings, random)) + " " + std::string(Pick(Turns, random)) + ".";
    if (random() % 5 == 0) film.rating = 1 + static_cast<int32_t>(random() % 5);
    films.push_back(std::move(film));
  }
  return films;
}

std::string WriteGeneratedCollection(const std::string& folder, int32_t count, uint32_t seed) {
  OpenResult opened = FilmStore::Open(folder);
  if (!opened.store) return opened.message;
  return opened.store->ImportFilms(GenerateFilms(count, seed)).message;
}

std::string LoadSampleCollection(const std::string& folder, const std::string& sqlFile) {
  std::optional<std::string> sql = platform::os::ReadWholeFile(sqlFile);
  if (!sql) return "Die Datei \"" + sqlFile + "\" lässt sich nicht lesen.";
  {
    // Opened through the store first, so that a file it refuses stays untouched.
    OpenResult opened = FilmStore::Open(folder);
    if (!opened.store) return opened.message;
  }
  if (!platform::os::CreateFolder(folder)) return "Der Ordner \"" + folder + "\" fehlt.";
  const std::string path = folder + "/" + std::string(kFilmFileName);
  sqlite3* db = nullptr;
  std::string problem;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
      sqlite3_exec(db, sql->c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    problem = "Die Beispielsammlung ließ sich nicht laden: " + std::string(sqlite3_errmsg(db));
  }
  sqlite3_close(db);
  if (!problem.empty()) return problem;
  return FilmStore::Open(folder).message;
}

}  // namespace zelluo::collection
