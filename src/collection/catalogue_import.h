#pragma once
// Films from the catalogues of other film programs: GCstar film collections
// (.gcs), Tellico video collections (.tc zip or plain XML), Kodi and Jellyfin
// movie descriptions (.nfo) and Griffith databases (SQLite).
//
// All four share the rules of exchange.h. Beyond them:
// - Catalogue values are free text. A year or running time that cannot be
//   read ("unbekannt", "ca. 90") is left empty instead of failing the whole
//   import; the rest of the film comes in.
// - A film without a title takes its original title. A film with neither
//   that holds nothing else either is an empty record (the catalogues leave
//   one behind when a new entry is never filled in) and is passed over. A
//   film with content but no title fails the import with a message naming
//   the file and the film's line or number, so that the user can name it in
//   the source program; films are never dropped silently.
// - Ratings of 0 to 10 (GCstar, Griffith, Kodi) become 1 to 5 stars, 0
//   meaning none.

#include <memory>
#include <string>
#include <string_view>

#include "collection/exchange.h"

namespace zelluo::collection {

// A GCstar collection file; only film collections (type "GCfilms"). Covers
// are located relative to the file's folder or, when absolute, where they are
// or else in the file's "<name>_pictures" folder.
ImportResult ReadGcstar(std::string_view bytes, std::string_view filePath);
// The same a step at a time.
std::unique_ptr<FilmReading> StartGcstar(std::string bytes, std::string_view filePath);

// A Tellico file: a .tc zip holding tellico.xml and its images/, or plain
// Tellico XML with the pictures inside it in base64. Only video collections.
ImportResult ReadTellico(std::string_view bytes, std::string_view filePath);
// The same a step at a time (a .tc zip's tellico.xml is unpacked at once).
std::unique_ptr<FilmReading> StartTellico(std::string bytes, std::string_view filePath);

// A Kodi or Jellyfin movie description (<movie>). The cover is the first
// picture beside it of <name>-poster, poster, folder or <name> (.jpg, .png)
// or <name>.tbn; the video the file beside it of the same name with a video
// extension.
ImportResult ReadNfo(std::string_view bytes, std::string_view filePath);

// A Griffith database, opened strictly read-only: neither the file nor its
// folder changes. Posters come from its table posters or its posters/ folder.
ImportResult ReadGriffith(std::string_view filePath);

}  // namespace zelluo::collection
