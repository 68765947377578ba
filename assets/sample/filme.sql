-- A small sample collection of 30 invented films for trying out Zelluo.
-- Every title, name and plot here is made up.
--
-- Load it with the generator (indexes the rows at once):
--   build/collection_generator "Zelluo Files" --sample assets/sample/filme.sql
-- or with the sqlite3 shell; Zelluo indexes the rows at its next start:
--   sqlite3 "Zelluo Files/Filme.db" < assets/sample/filme.sql
-- Covers are left empty; the films were added over the years 2020 to 2026.

CREATE TABLE IF NOT EXISTS film(
  id INTEGER PRIMARY KEY,
  title TEXT NOT NULL,
  original_title TEXT,
  year INTEGER,
  runtime INTEGER,
  country TEXT,
  director TEXT,
  actors TEXT,
  genre TEXT,
  plot TEXT,
  cover TEXT,
  video TEXT,
  added TEXT,
  changed TEXT
);

BEGIN;
INSERT INTO film(title, original_title, year, runtime, country, director, actors, genre, plot, added, changed) VALUES
('Das Mädchen vom Leuchtturm', NULL, 1987, 94, 'Deutschland', 'Helga Brandstätter',
 'Lotte Kämpfer (Merle)
Bruno Weigand (Vater Jansen)', 'Drama
Familienfilm',
 'Merle wächst allein mit ihrem Vater auf einer Nordseeinsel auf. Als der Leuchtturm abgeschaltet werden soll, schmiedet sie einen waghalsigen Plan.', '2020-01-01T19:30:00Z', '2020-01-01T19:30:00Z'),
('Straße der Glühwürmchen', NULL, 2003, 108, 'Österreich', 'Ferdinand Wiesler',
 'Anton Grubmüller (Sepp)
Rosa Lindqvist (Ingrid)', 'Liebesfilm',
 'Ein Wiener Taxifahrer nimmt jede Nacht dieselbe schweigsame Fahrgästin mit. Erst im Frühling erfährt er, wohin sie wirklich will.', '2020-06-08T19:30:00Z', '2020-06-08T19:30:00Z'),
('Der Bäcker von Sankt Ilgen', NULL, 1961, 88, 'Deutschland', 'Konrad Vielhaber',
 'Otto Sternberger (Bäcker Loibl)
Elfriede Haas (Witwe Moosbrugger)', 'Komödie',
 'Im Dorf verschwinden die Brezeln, und der Bäcker verdächtigt den neuen Pfarrer. Die ganze Gemeinde hilft mit, den Dieb zu stellen.', '2020-11-15T19:30:00Z', '2020-11-15T19:30:00Z'),
('Äpfel im Schnee', NULL, 2015, 97, 'Schweiz', 'Nadja Zürcher',
 'Leonie Ammann (Jana)
Ueli Brönnimann (Grossvater)', 'Drama',
 'Jana erbt den Obstgarten ihres Großvaters und soll ihn verkaufen. Ein strenger Winter zwingt sie, zu bleiben und neu anzufangen.', '2020-04-22T19:30:00Z', '2020-04-22T19:30:00Z'),
('Eine Nacht in Kötzschenbroda', NULL, 1993, 91, 'Deutschland', 'Matthias Grünewald-Roth',
 'Katrin Schöller (Ulrike)
Dieter Pankow (Herr Zöllner)', 'Komödie
Liebesfilm',
 'Eine Hochzeitsplanerin strandet mit einem griesgrämigen Notar in einer Pension. Bis zum Morgen müssen beide eine vertauschte Torte retten.', '2020-09-02T19:30:00Z', '2020-09-02T19:30:00Z'),
('Die Wölfe von Oberwiesen', NULL, 2009, 112, 'Deutschland', 'Jörg Hellmers',
 'Sven Östreicher (Förster Kalb)
Mira Tessendorf (Biologin Hanne)', 'Thriller',
 'Im Bergwald tauchen Wölfe auf, und das Dorf ist gespalten. Als ein Jäger verschwindet, führen die Spuren in die eigene Familie.', '2021-02-09T19:30:00Z', '2021-02-09T19:30:00Z'),
('Zwölf Stufen zum Keller', NULL, 1974, 86, 'Deutschland', 'Reinhold Mack',
 'Gisela Thorwald (Frau Imhoff)
Peter Laskowski (Kommissar Dahl)', 'Krimi',
 'Eine Vermieterin hört jede Nacht Schritte im verschlossenen Keller. Kommissar Dahl zählt die Stufen und findet einen Fehler im Plan des Hauses.', '2021-07-16T19:30:00Z', '2021-07-16T19:30:00Z'),
('The Quiet Harbour', 'Der stille Hafen', 2011, 101, 'Großbritannien', 'Eleanor Whitcombe',
 'James Pellow (Tom)
Ruth Abernethy (Maggie)', 'Drama',
 'Ein Fischer aus Cornwall verliert sein Boot und seinen Stolz. Seine Tochter kauft heimlich ein neues und lernt, es selbst zu steuern.', '2021-12-23T19:30:00Z', '2021-12-23T19:30:00Z'),
('Über den Dächern von Görlitz', NULL, 2019, 104, 'Deutschland', 'Paulina Wróbel',
 'Emil Fährmann (Kasimir)
Agata Nowicka (Zofia)', 'Liebesfilm',
 'Ein Schornsteinfeger und eine polnische Studentin begegnen sich auf den Dächern der Altstadt. Die Grenze zwischen ihren Städten ist nur eine Brücke breit.', '2021-05-03T19:30:00Z', '2021-05-03T19:30:00Z'),
('Der König der Kieselsteine', NULL, 1999, 79, 'Dänemark', 'Søren Kjærgaard',
 'Mads Højer (Niels)
Ida Lund (Schwester Else)', 'Familienfilm
Abenteuer',
 'Der zehnjährige Niels sammelt Steine am Strand und erklärt sich zum König. Als eine Sturmflut droht, muss er sein kleines Reich verteidigen.', '2022-10-10T19:30:00Z', '2022-10-10T19:30:00Z'),
('Fräulein Öztürk ermittelt', NULL, 2021, 89, 'Deutschland', 'Deniz Aksoy',
 'Selin Öztürk (Ayla)
Harald Bleibtreu (Chef Krause)', 'Krimi
Komödie',
 'Eine Praktikantin der Kripo Köln löst Fälle, die ihr niemand zutraut. Ihr Chef merkt es als Letzter.', '2022-03-17T19:30:00Z', '2022-03-17T19:30:00Z'),
('Schatten über dem Moor', NULL, 1958, 93, 'Deutschland', 'Wilhelm Ostertag',
 'Ilse Brückner (Gräfin Ahlden)
Karl Mehring (Verwalter Sievers)', 'Horror',
 'Auf einem Gut im Teufelsmoor brennt jede Nacht ein Licht, wo kein Haus steht. Die junge Gräfin will wissen, wer es entzündet.', '2022-08-24T19:30:00Z', '2022-08-24T19:30:00Z'),
('Ein Sommer in Bärwalde', NULL, 2006, 99, 'Deutschland', 'Claudia Rösler',
 'Finn Jacobsen (Ben)
Marlene Quast (Tante Hedi)', 'Familienfilm',
 'Ben muss die Ferien bei seiner Tante auf dem Land verbringen. Ein alter Traktor und ein verschwundener Hund machen daraus den besten Sommer seines Lebens.', '2022-01-04T19:30:00Z', '2022-01-04T19:30:00Z'),
('Grenzgänger', NULL, 1982, 117, 'Deutschland', 'Ulrich Bernhardt',
 'Thomas Ebeling (Jochen)
Sabine Kranz (Renate)', 'Drama
Thriller',
 'Zwei Schulfreunde stehen sich Jahre später an der innerdeutschen Grenze gegenüber. Eine Nacht entscheidet über ihre Freundschaft.', '2023-06-11T19:30:00Z', '2023-06-11T19:30:00Z'),
('La Maison des Horloges', 'Das Haus der Uhren', 1996, 102, 'Frankreich', 'Amélie Faucheux',
 'Jérôme Vasseur (Hugo)
Céline Marchetti (Madame Roux)', 'Märchen',
 'Ein Uhrmacherlehrling entdeckt, dass jede Uhr im Haus die Zeit eines anderen Menschen misst. Eine davon ist stehen geblieben.', '2023-11-18T19:30:00Z', '2023-11-18T19:30:00Z'),
('Die Fähre nach Nirgendwo', NULL, 2013, 95, 'Deutschland', 'Björn Thiessen',
 'Gesa Hinrichs (Kapitänin Wiebke)
Marek Dudek (Passagier)', 'Science-Fiction',
 'Eine Elbfähre legt an einem Ufer an, das auf keiner Karte steht. Die Kapitänin muss ihre Fahrgäste vor Sonnenaufgang zurückbringen.', '2023-04-25T19:30:00Z', '2023-04-25T19:30:00Z'),
('Müllers letzte Runde', NULL, 2001, 90, 'Österreich', 'Gerhard Pichler',
 'Franz Hübl (Müller)
Traude Weinzierl (Wirtin Resi)', 'Komödie',
 'Ein pensionierter Briefträger will ein letztes Mal alle Häuser seines Bezirks besuchen. Jeder Briefkasten erzählt eine Geschichte.', '2023-09-05T19:30:00Z', '2023-09-05T19:30:00Z'),
('Das Lied der Schwäne', NULL, 1969, 98, 'Deutschland', 'Hanna Lichtenfeld',
 'Vera Korff (Sängerin Livia)
Walter Ohm (Dirigent)', 'Drama',
 'Eine Opernsängerin verliert vor der Premiere ihre Stimme. Am See ihrer Kindheit sucht sie nach dem Ton, mit dem alles begann.', '2023-02-12T19:30:00Z', '2023-02-12T19:30:00Z'),
('Kaltes Blut am Bodensee', NULL, 2017, 88, 'Deutschland', 'Simone Frick',
 'Jana Riedlinger (Hauptkommissarin Wolf)
Mehmet Kaya (Kollege Demir)', 'Krimi',
 'Eine Leiche treibt im Hafen von Lindau, und drei Länder streiten um den Fall. Hauptkommissarin Wolf ermittelt über alle Ufer hinweg.', '2024-07-19T19:30:00Z', '2024-07-19T19:30:00Z'),
('Die Erfindung des Glücks', NULL, 2010, 106, 'Deutschland', 'Tobias Wendel',
 'Moritz Kühn (Erfinder Alfons)
Lea Sommerfeld (Nachbarin Pia)', 'Komödie
Liebesfilm',
 'Ein verschrobener Tüftler baut eine Maschine, die Glück messen soll. Sie schlägt erst aus, als die Nachbarin klingelt.', '2024-12-26T19:30:00Z', '2024-12-26T19:30:00Z'),
('Westwärts, Johanna', NULL, 1953, 101, 'Deutschland', 'Erich Valentin',
 'Johanna Pfeiffer (Johanna)
Heinz Burkhardt (Onkel Gustav)', 'Western
Abenteuer',
 'Eine junge Auswanderin aus der Pfalz zieht mit einem Planwagen nach Westen. Sie sucht den Bruder, der nie zurückgeschrieben hat.', '2024-05-06T19:30:00Z', '2024-05-06T19:30:00Z'),
('Stille Post', NULL, 2022, 84, 'Schweiz', 'Reto Gisler',
 'Nina Zollinger (Lehrerin Frau Bär)
Luca Steiner (Schüler Mats)', 'Drama',
 'Ein Gerücht wandert durch eine Bergschule und wird mit jedem Flüstern größer. Am Ende steht eine Lehrerin vor dem Nichts.', '2024-10-13T19:30:00Z', '2024-10-13T19:30:00Z'),
('Der Fuchs und die Straßenbahn', NULL, 1990, 76, 'Deutschland', 'Ingrid Wolke',
 'Kurt Mensing (Fahrer Ede)
Pauline Ross (Mädchen Tilda)', 'Familienfilm
Märchen',
 'Ein Fuchs fährt jeden Morgen mit der ersten Straßenbahn in die Stadt. Tilda will herausfinden, wo er aussteigt.', '2025-03-20T19:30:00Z', '2025-03-20T19:30:00Z'),
('Kreidezeit', NULL, 1985, 110, 'Deutschland', 'Albrecht Sauerwein',
 'Gerd Fiebig (Studienrat Lemke)
Anja Holtkamp (Schülerin Bettina)', 'Drama',
 'Ein Lehrer kurz vor der Pensionierung bekommt die schwierigste Klasse der Schule. Beide Seiten lernen mehr, als der Lehrplan vorsieht.', '2025-08-27T19:30:00Z', '2025-08-27T19:30:00Z'),
('Ein Koffer voller Sand', NULL, 2008, 93, 'Italien', 'Giulia Bertoldi',
 'Marco Ferrante (Enzo)
Hanne Vössing (Touristin Gerda)', 'Komödie',
 'Am Gepäckband in Neapel werden zwei Koffer vertauscht. In einem liegt nur Sand, im anderen ein Brief, der alles erklärt.', '2025-01-07T19:30:00Z', '2025-01-07T19:30:00Z'),
('Die Höhle der vergessenen Lieder', NULL, 2016, 119, 'Deutschland', 'Olaf Rehberg',
 'Carla Münch (Höhlenforscherin Ruth)
Jakob Wendt (Bergführer Vitus)', 'Abenteuer',
 'In einer Höhle der Schwäbischen Alb findet eine Forscherin uralte Flöten. Ein Wettersturz schneidet ihr und dem Bergführer den Rückweg ab.', '2025-06-14T19:30:00Z', '2025-06-14T19:30:00Z'),
('Polarlicht über Tromsø', 'Nordlys', 2012, 96, 'Norwegen', 'Sigrid Aasland',
 'Kari Nygård (Astrid)
Henrik Dahle (Fotograf Jon)', 'Liebesfilm
Dokumentarfilm',
 'Ein Fotograf wartet einen ganzen Winter auf das perfekte Polarlicht. Die Wirtin seiner Unterkunft zeigt ihm, dass er falsch sucht.', '2026-11-21T19:30:00Z', '2026-11-21T19:30:00Z'),
('Abgründe', NULL, 1977, 103, 'Deutschland', 'Rainer Vogelsang',
 'Hella Stroh (Anwältin Kerner)
Joachim Rieger (Angeklagter)', 'Thriller
Krimi',
 'Eine Anwältin verteidigt einen Mann, den sie für schuldig hält. Am Tag des Urteils erhält sie einen Anruf, der alles umwirft.', '2026-04-01T19:30:00Z', '2026-04-01T19:30:00Z'),
('Zebras in der Lüneburger Heide', NULL, 2024, 87, 'Deutschland', 'Kerstin Möllendorf',
 'Tim Borchers (Tierpfleger Olli)
Frauke Lüders (Bürgermeisterin)', 'Komödie
Familienfilm',
 'Aus einem Wanderzirkus entkommen drei Zebras und verstecken sich zwischen den Heidschnucken. Das ganze Dorf hilft bei der Suche und verrät sie doch nicht.', '2026-09-08T19:30:00Z', '2026-09-08T19:30:00Z'),
('Sieben Brücken bis Mitternacht', NULL, 2005, 100, 'Deutschland', 'Dagmar Quandt',
 'Ole Petersen (Fahrradkurier Max)
Svenja Brandt (Ärztin Lina)', 'Thriller',
 'Ein Fahrradkurier muss in einer Hamburger Nacht ein Päckchen über sieben Brücken bringen. Wer es ihm abnehmen will, weiß mehr als er.', '2026-02-15T19:30:00Z', '2026-02-15T19:30:00Z');
COMMIT;
