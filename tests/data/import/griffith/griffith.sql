-- A small Griffith database with invented films, built into a file by the
-- catalogue import tests. The layout follows Griffith's own: table movies
-- with its free-text columns and table posters with the pictures.
PRAGMA journal_mode = WAL;
CREATE TABLE movies (
  movie_id INTEGER PRIMARY KEY,
  number INTEGER,
  title VARCHAR(255),
  o_title VARCHAR(255),
  year INTEGER,
  runtime INTEGER,
  country VARCHAR(128),
  director VARCHAR(255),
  "cast" TEXT,
  plot TEXT,
  genre VARCHAR(128),
  notes TEXT,
  rating SMALLINT,
  poster_md5 VARCHAR(32),
  image VARCHAR(128),
  studio VARCHAR(128),
  classification VARCHAR(128),
  seen BOOLEAN DEFAULT 0,
  loaned BOOLEAN DEFAULT 0
);
CREATE TABLE posters (md5sum VARCHAR(32) PRIMARY KEY, data BLOB NOT NULL);

INSERT INTO movies (number, title, o_title, year, runtime, country, director, "cast", plot,
                    genre, notes, rating, poster_md5, image, studio, classification, seen)
VALUES
  (7, 'Der Uhrmacher von Lenzbach', 'The Clockmaker', 1971, 88, 'Schweiz', 'Vreni Ammann',
   'Beat Gysin as Uhrmacher Tobler
Regula Frei as Marie
Ueli Scherrer', 'Ein Uhrmacher hält die Zeit an.', 'Drama / Märchen', 'Aus dem Nachlass',
   9, '3f1e2d4c5b6a79880112233445566778', NULL, 'Nordlicht Film', '', 1),
  (8, '', 'Paper Harbour', NULL, NULL, NULL, NULL, NULL, NULL, 'Dokumentarfilm, Kurzfilm',
   NULL, 0, NULL, 'hafen42', NULL, NULL, 0);

INSERT INTO posters VALUES ('3f1e2d4c5b6a79880112233445566778', X'FFD8FFE0004A464946');
