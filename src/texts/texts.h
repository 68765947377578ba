#pragma once
// Every text the program shows, in one place. Most are German; the report of a
// damaged settings file is English.

#include <string>
#include <string_view>

namespace zelluo::text {

// Start-up and the resolution gate.
inline constexpr std::string_view kResolutionTitle = "Zelluo Installation";
inline constexpr std::string_view kResolutionMessage =
    "Für Zelluo ist eine Auflösung von min. 1280x1024 erforderlich.\n\nUnterstützte Auflösungen:\n"
    "1280x1024\n1600x1024\n1600x1200\n\n"
    "Um die Auflösung zu ignorieren, bitte folgenden Schlüssel ändern:\n"
    "\\Zelluo Files\\Zelluo.xml -> Root\\HKey_Options\\Key_IgnoreRes -> 1";
inline constexpr std::string_view kAuthor = "Stellmar/Quorvex";

// Settings store.
inline constexpr std::string_view kInfoTitle = "Info";
inline constexpr std::string_view kProgramTitle = "Zelluo";
inline constexpr std::string_view kErrorTitle = "Error";
inline constexpr std::string_view kXmlCreated = "XML erstellt";
inline constexpr std::string_view kXmlLoadFailed = "Zelluo.xml laden fehlgeschlagen";
inline constexpr std::string_view kXmlLoaded = "Zelluo.xml geladen";
inline constexpr std::string_view kRootNodeFound = "RootNode gefunden";
inline constexpr std::string_view kRootNodeMissing = "RootNode nicht gefunden";
inline constexpr std::string_view kMainNodeFound = "MainNode gefunden";
inline constexpr std::string_view kMainNodeMissing = "MainNode nicht gefunden";
inline constexpr std::string_view kXmlErrorHead = "Error in the XML file:\r";
inline constexpr std::string_view kXmlErrorMessage = "Message: ";
inline constexpr std::string_view kXmlReadFailed = "the file could not be read";
inline constexpr std::string_view kXmlErrorLine = "Line: ";
inline constexpr std::string_view kXmlErrorColumn = "   Character: ";

// The main window and its information box.
inline constexpr std::string_view kWindowTitle = "Zelluo";
inline constexpr std::string_view kInformationHead =
    "Folgende Informationen stehen bereit:\n\nName: ";
inline constexpr std::string_view kInformationVersion = "\nVersion: ";
inline constexpr std::string_view kInformationSize = "\nGröße: ";
inline constexpr std::string_view kKilobytes = " kb";

// Tray menu.
inline constexpr std::string_view kMenuShow = "Einblenden";
inline constexpr std::string_view kMenuHide = "Ausblenden";
inline constexpr std::string_view kMenuQuit = "Beenden";

// Navigation captions and the Main page.
inline constexpr std::string_view kCaptionPlay = "Abspielen";
inline constexpr std::string_view kCaptionList = "Liste";
inline constexpr std::string_view kCaptionOptions = "Optionen";
inline constexpr std::string_view kCaptionUpdate = "Update";
inline constexpr std::string_view kCaptionAbout = "Über Zelluo";
inline constexpr std::string_view kInformationButton = "Zelluo Information";

// List page.
inline constexpr std::string_view kFilmTitle = "Filmtitel";
inline constexpr std::string_view kActors = "Darsteller";
inline constexpr std::string_view kReleaseYear = "Erscheinungsjahr";
inline constexpr std::string_view kRunningTime = "Laufzeit";
inline constexpr std::string_view kCountryOfProduction = "Produktionsland";
inline constexpr std::string_view kPlot = "Handlung";
inline constexpr std::string_view kSearch = "Suchen:";
inline constexpr std::string_view kNewFilm = "Neu";
inline constexpr std::string_view kSaveFilm = "Speichern";
inline constexpr std::string_view kDeleteFilm = "Löschen";
inline constexpr std::string_view kChooseCover = "Cover wählen";
inline constexpr std::string_view kColumnTitle = "Titel";
inline constexpr std::string_view kColumnYear = "Jahr";
inline constexpr std::string_view kColumnRunningTime = "Laufzeit";
inline constexpr std::string_view kColumnCountry = "Land";
inline constexpr std::string_view kMinutes = " min";
inline constexpr std::string_view kConfirmSaveChanges = "Änderungen speichern?";
inline constexpr std::string_view kConfirmDeleteFilm = "Film löschen?";
// "Ungespeicherte Änderungen vom 07.12.2026, 18:30 wiederherstellen?"
inline constexpr std::string_view kRestoreDraftHead = "Ungespeicherte Änderungen vom ";
inline constexpr std::string_view kRestoreDraftTail = " wiederherstellen?";
inline constexpr std::string_view kInvalidYear =
    "Das Erscheinungsjahr muss eine Jahreszahl von 1888 bis 2100 sein. Der Film wurde nicht "
    "gespeichert.";
inline constexpr std::string_view kInvalidRunningTime =
    "Die Laufzeit muss eine Zahl von Minuten sein, zum Beispiel \"102\", \"102 min\" oder "
    "\"1:42\". Der Film wurde nicht gespeichert.";
inline constexpr std::string_view kFormNotSaved = " Der Film wurde nicht gespeichert.";
inline constexpr std::string_view kChooseCoverTitle = "Cover wählen";
inline constexpr std::string_view kPictures = "Bilder (JPEG, PNG)";

// Options and About pages.
inline constexpr std::string_view kApplication = "Anwendung";
inline constexpr std::string_view kOptionStartTray = "Im Tray starten";
inline constexpr std::string_view kOptionStartMinimize = "Minimiert starten";
inline constexpr std::string_view kOptionAutoUpdate = "Automatische Updates";
inline constexpr std::string_view kOptionLog = "Protokollierung anzeigen";
inline constexpr std::string_view kOptionFadeout = "Ausblendeffekt beim Beenden";
inline constexpr std::string_view kOptionSound = "Soundausgabe";
inline constexpr std::string_view kVersion = "Version";
inline constexpr std::string_view kSize = "Größe";
inline constexpr std::string_view kProgramming = "Programmierung";
inline constexpr std::string_view kThanks = "Danksagung";
inline constexpr std::string_view kThanks1 = "Quillan für Ideen und testen";
inline constexpr std::string_view kThanks2 = "Brevik für Unterstützung und testen";
inline constexpr std::string_view kThanks3 = "Lumen-Community für Unterstützung";

// The option change.
inline constexpr std::string_view kConfirmChange = "Änderung übernehmen?";
inline constexpr std::string_view kKeyPrefix = "Schlüssel: ";
inline constexpr std::string_view kKeysJoin = " & ";
inline constexpr std::string_view kKeysChanging = " wird geändert";
inline constexpr std::string_view kKeysNotFound = " wurde nicht gefunden";
inline constexpr std::string_view kChangedHead = "Folgende Werte wurden geändert:\n\n";
inline constexpr std::string_view kValuePrefix = "Wert: ";
inline constexpr std::string_view kValueNotChanged = " wurde nicht geändert";

// The film collection. "%1" stands for the path of the file or folder
// concerned, "%2" for SQLite's own description of the fault.
inline constexpr std::string_view kNotADatabase =
    "Die Datei \"%1\" ist keine Filmsammlung von Zelluo. Sie bleibt unverändert; "
    "Zelluo arbeitet ohne die Sammlung weiter.";
inline constexpr std::string_view kDamaged =
    "Die Filmsammlung \"%1\" ist beschädigt (%2). Sie bleibt unverändert; Zelluo arbeitet ohne "
    "die Sammlung weiter. Frühere Sicherungen liegen, falls vorhanden, im Ordner "
    "\"Sicherungen\" daneben.";
inline constexpr std::string_view kNewerVersion =
    "Die Filmsammlung \"%1\" stammt aus einer neueren Version von Zelluo. Sie bleibt unverändert; "
    "Zelluo arbeitet ohne die Sammlung weiter.";
inline constexpr std::string_view kUnknownLayout =
    "Die Datei \"%1\" enthält keine Filmtabelle, die Zelluo lesen kann. Sie bleibt unverändert; "
    "Zelluo arbeitet ohne die Sammlung weiter.";
inline constexpr std::string_view kIsAFolder =
    "An der Stelle der Filmsammlung \"%1\" steht ein Ordner. Zelluo arbeitet ohne die Sammlung "
    "weiter.";
inline constexpr std::string_view kCannotOpen =
    "Die Filmsammlung \"%1\" lässt sich nicht öffnen (%2). Zelluo arbeitet ohne die Sammlung "
    "weiter.";
// The first opening of an older or hand-made collection: films prepared of all.
inline constexpr std::string_view kCollectionPreparing =
    "Sammlung wird vorbereitet: %1 von %2 Filmen …";
inline constexpr std::string_view kCannotWrite =
    "Die Änderung konnte nicht in \"%1\" gespeichert werden (%2). Die Sammlung ist unverändert.";
inline constexpr std::string_view kCannotCreateFolder =
    "Der Ordner \"%1\" konnte nicht angelegt werden. Der Film wurde nicht gespeichert.";
inline constexpr std::string_view kNoTitle = "Ein Film braucht einen Titel.";
inline constexpr std::string_view kFilmMissing =
    "Der Film ist nicht mehr in der Sammlung \"%1\"; vielleicht hat ihn eine andere Zelluo "
    "gelöscht.";
inline constexpr std::string_view kNothingToUndo =
    "Es gibt keinen gelöschten Film zum Zurückholen.";
inline constexpr std::string_view kCannotRead =
    "Die Filmsammlung \"%1\" konnte nicht gelesen werden (%2).";
inline constexpr std::string_view kBackupFailed =
    "Die Sicherung \"%1\" konnte nicht geschrieben werden (%2).";

// Loans.
inline constexpr std::string_view kAlreadyLent = "Der Film ist schon verliehen (an %1).";
inline constexpr std::string_view kNotLent = "Der Film ist nicht verliehen.";
inline constexpr std::string_view kNoBorrower = "Bitte angeben, an wen der Film verliehen wird.";
inline constexpr std::string_view kBadLoanDate =
    "Das Datum \"%1\" ist ungültig. Bitte als TT.MM.JJJJ angeben.";
inline constexpr std::string_view kDueBeforeLent =
    "Das Rückgabedatum liegt vor dem Tag des Verleihens.";
// "Verliehen an Anna Groß seit 03.12.2026, zurück bis 17.12.2026"
inline constexpr std::string_view kLentLine = "Verliehen an %1 seit %2";
inline constexpr std::string_view kLentLineDue = ", zurück bis %1";
inline constexpr std::string_view kBorrowerLabel = "Verleihen an:";
inline constexpr std::string_view kDueLabel = "zurück bis:";
inline constexpr std::string_view kEmailLabel = "E-Mail:";
inline constexpr std::string_view kPhoneLabel = "Telefon:";
inline constexpr std::string_view kBorrowerNoteLabel = "Notiz:";
inline constexpr std::string_view kLoanNoteLabel = "Zur Ausleihe:";
inline constexpr std::string_view kLendButton = "Verleihen";
inline constexpr std::string_view kCancelButton = "Abbrechen";
inline constexpr std::string_view kReturnedMessage = "\"%1\" ist zurück.";
inline constexpr std::string_view kNoFilmShown = "Bitte zuerst einen gespeicherten Film wählen.";
inline constexpr std::string_view kLentFilmsTitle = "Verliehene Filme";
inline constexpr std::string_view kNoLentFilms = "Kein Film ist verliehen.";
// One line of the list of lent films: "Titel – Anna Groß, zurück bis 17.12.2026".
inline constexpr std::string_view kLentFilmEntry = "%1 – %2";
inline constexpr std::string_view kOverdueMark = " (überfällig)";
inline constexpr std::string_view kNarrowedToLent = "Nur verliehene Filme (Strg+U: überfällige)";
inline constexpr std::string_view kNarrowedToOverdue = "Nur überfällige Filme (Strg+U: alle)";
inline constexpr std::string_view kExportDueDatesTitle = "Rückgabetermine exportieren";
inline constexpr std::string_view kCalendarFiles = "Kalenderdateien (*.ics)";
inline constexpr std::string_view kDueDatesSuggestedName = "Rueckgabetermine.ics";
inline constexpr std::string_view kDueDatesExported = "%1 Rückgabetermine in \"%2\" gespeichert.";
inline constexpr std::string_view kDueDatesNotWritten =
    "Die Datei \"%1\" konnte nicht geschrieben werden.";
// The events of the calendar file.
inline constexpr std::string_view kLoanEventSummary = "Rückgabe: %1 (%2)";
inline constexpr std::string_view kLoanEventDescription = "Verliehen an %1 am %2.";

// Taking over a cover picture.
inline constexpr std::string_view kCoverFileMissing =
    "Das Bild wurde nicht gefunden oder kann nicht gelesen werden.";
inline constexpr std::string_view kCoverFileEmpty = "Die Bilddatei ist leer.";
inline constexpr std::string_view kCoverFileTooLarge =
    "Die Bilddatei ist größer als 50 MB und wird nicht übernommen.";
inline constexpr std::string_view kCoverUnknownFormat =
    "Die Datei ist kein JPEG- oder PNG-Bild. Bitte ein Bild im Format JPEG oder PNG wählen.";
inline constexpr std::string_view kCoverDamaged =
    "Das Bild ist beschädigt oder unvollständig und kann nicht gelesen werden.";
inline constexpr std::string_view kCoverTooManyPixels =
    "Das Bild ist zu groß (höchstens 16000 Pixel je Seite und 100 Megapixel).";
inline constexpr std::string_view kCoverFolderMissing =
    "Der Cover-Ordner kann nicht angelegt werden.";
inline constexpr std::string_view kCoverWriteFailed =
    "Das Cover kann nicht gespeichert werden (ist der Datenträger voll oder schreibgeschützt?).";
inline constexpr std::string_view kCoverNameTaken =
    "Im Cover-Ordner liegt bereits ein anderes Bild unter demselben Namen.";

// Import and export. "%1" stands for the file's name, "%2" for a line number
// or a detail.
// -- import: XML and zip archives
inline constexpr std::string_view kXmlBroken = "Die Datei \"%1\" ist kein lesbares XML (%2).";
inline constexpr std::string_view kXmlAtLine = "Zeile %1: %2";
inline constexpr std::string_view kXmlEntities =
    "Die Datei \"%1\" deklariert in Zeile %2 Entitäten. Solche Dateien werden aus "
    "Sicherheitsgründen nicht eingelesen.";
inline constexpr std::string_view kXmlTooDeep =
    "Die Datei \"%1\" ist in Zeile %2 zu tief verschachtelt oder enthält zu viele Elemente.";
inline constexpr std::string_view kZipBroken =
    "Das Archiv \"%1\" ist beschädigt oder unvollständig (%2).";
inline constexpr std::string_view kZipTooLarge =
    "Das Archiv \"%1\" entpackt \"%2\" zu weit mehr Daten, als es enthält. Es wird aus "
    "Sicherheitsgründen nicht eingelesen.";
inline constexpr std::string_view kZipMemberMissing = "Im Archiv \"%1\" fehlt \"%2\".";

// -- import: CSV
// The CSV export's last column: the date of each film's last complete viewing.
inline constexpr std::string_view kCsvSeenHeading = "Gesehen";
// kCsvInLine starts every message about one line; the text after it has "%1"
// for the value found there.
inline constexpr std::string_view kCsvTooLarge =
    "Die Datei \"%1\" ist zu groß für einen CSV-Import (höchstens 200 MB).";
inline constexpr std::string_view kCsvUtf16 =
    "Die Datei \"%1\" ist in UTF-16 gespeichert, diese Kodierung wird nicht gelesen. Bitte die "
    "Datei im Tabellenprogramm als \"CSV UTF-8\" speichern und erneut importieren.";
inline constexpr std::string_view kCsvNotText =
    "Die Datei \"%1\" ist keine Textdatei (sie enthält Null-Bytes) und kann nicht als CSV "
    "gelesen werden.";
inline constexpr std::string_view kCsvEmpty =
    "Die Datei \"%1\" ist leer: Es fehlt die erste Zeile mit den Spaltennamen.";
inline constexpr std::string_view kCsvNoTitleColumn =
    "Die Datei \"%1\" hat keine Spalte \"Titel\" (oder \"Title\"). Die erste Zeile muss die "
    "Spaltennamen enthalten.";
inline constexpr std::string_view kCsvTooManyFilms =
    "Die Datei \"%1\" enthält zu viele Zeilen für einen Import (höchstens 500000 Filme).";
inline constexpr std::string_view kCsvInLine = "Datei \"%1\", Zeile %2: ";
inline constexpr std::string_view kCsvUnclosedQuote =
    "Ein Feld in Anführungszeichen wird bis zum Dateiende nicht geschlossen.";
inline constexpr std::string_view kCsvTextAfterQuote =
    "Nach dem schließenden Anführungszeichen eines Feldes folgt weiterer Text "
    "(Anführungszeichen in einem Feld müssen verdoppelt werden).";
inline constexpr std::string_view kCsvTooManyFields =
    "Die Zeile hat %1 Felder, die erste Zeile nennt aber nur %2 Spalten.";
inline constexpr std::string_view kCsvNoTitle = "Der Film in dieser Zeile hat keinen Titel.";
inline constexpr std::string_view kCsvBadYear = "\"%1\" ist kein gültiges Jahr (1888 bis 2100).";
inline constexpr std::string_view kCsvBadRuntime =
    "\"%1\" ist keine gültige Laufzeit (etwa \"102\", \"102 min\" oder \"1:42\").";
inline constexpr std::string_view kFieldTooLong =
    "Das Feld \"%1\" ist zu lang (höchstens %2 Zeichen).";
inline constexpr std::string_view kCsvBadRating =
    "\"%1\" ist keine gültige Bewertung (1 bis 5 Sterne).";

// -- import: catalogues (GCstar, Tellico, Kodi/Jellyfin, Griffith)
inline constexpr std::string_view kCatalogueNotGcstar =
    "Die Datei \"%1\" ist keine GCstar-Sammlung.";
inline constexpr std::string_view kCatalogueNotGcstarFilms =
    "Die Datei \"%1\" ist eine GCstar-Sammlung der Art \"%2\" und keine Filmsammlung.";
inline constexpr std::string_view kCatalogueNotTellico =
    "Die Datei \"%1\" ist keine Tellico-Datei.";
inline constexpr std::string_view kCatalogueNotTellicoVideos =
    "Die Datei \"%1\" ist eine Tellico-Sammlung der Art %2 und keine Videosammlung.";
inline constexpr std::string_view kCatalogueNotNfoMovie =
    "Die Datei \"%1\" beschreibt keinen Film im Format von Kodi oder Jellyfin (%2).";
inline constexpr std::string_view kCatalogueNfoNoXml = "sie enthält kein <movie>";
inline constexpr std::string_view kCatalogueNoTitle =
    "In der Datei \"%1\" hat ein Film (%2) weder Titel noch Originaltitel. Bitte dort einen "
    "Titel eintragen und erneut einlesen.";
inline constexpr std::string_view kCatalogueAtLine = "Zeile %1";
// Starts a message about one film of a catalogue or a backup: "%2" is
// kCatalogueAtLine or kCatalogueNumber.
inline constexpr std::string_view kFilmInFile = "Datei \"%1\", %2: ";
inline constexpr std::string_view kCatalogueNumber = "Nr. %1";
inline constexpr std::string_view kGriffithCannotOpen =
    "Die Datei \"%1\" kann nicht geöffnet werden (%2).";
inline constexpr std::string_view kGriffithNotDatabase =
    "Die Datei \"%1\" ist keine SQLite-Datenbank und damit keine Griffith-Datei.";
inline constexpr std::string_view kGriffithDamaged =
    "Die Datenbank \"%1\" ist beschädigt und wird nicht eingelesen (%2).";
inline constexpr std::string_view kGriffithNotClosed =
    "Die Datenbank \"%1\" wurde nicht sauber geschlossen (daneben liegt noch \"%2\"). Bitte "
    "Griffith einmal starten und beenden und die Datei dann erneut einlesen.";
inline constexpr std::string_view kGriffithNoMovies =
    "Die Datenbank \"%1\" hat keine Tabelle \"movies\" und ist daher keine Griffith-Datei.";

// -- backup and HTML export
inline constexpr std::string_view kBackupNotABackup =
    "Die Datei \"%1\" ist keine Zelluo-Sicherung.";
inline constexpr std::string_view kBackupNewer =
    "Die Sicherung \"%1\" stammt von einem neueren Zelluo (Format %2) und kann mit dieser "
    "Version nicht eingelesen werden.";
inline constexpr std::string_view kBackupDamaged =
    "Die Sicherung \"%1\" ist beschädigt und wird nicht eingelesen (%2).";
inline constexpr std::string_view kBackupNoVersion = "Formatversion fehlt";
inline constexpr std::string_view kBackupBadNumber = "\"%1\" ist keine gültige Zahl";
inline constexpr std::string_view kBackupValueTooLong = "\"%1\" ist zu lang";
inline constexpr std::string_view kBackupCoverMissing = "das Cover \"%1\" fehlt im Archiv";
inline constexpr std::string_view kBackupFilmCount = "%1 statt %2 Filme";
inline constexpr std::string_view kBackupHostileCover =
    "Die Sicherung \"%1\" nennt in Zeile %2 ein Cover mit unzulässigem Dateinamen. Sie wird "
    "aus Sicherheitsgründen nicht eingelesen.";
inline constexpr std::string_view kBackupNotMade =
    "Die Sicherung konnte nicht zusammengestellt werden (zu wenig Speicher?).";
inline constexpr std::string_view kHtmlHeading = "Filmsammlung";
inline constexpr std::string_view kHtmlOneFilm = "1 Film";
inline constexpr std::string_view kHtmlFilmCount = "%1 Filme";
inline constexpr std::string_view kHtmlDate = "Stand: %1";
inline constexpr std::string_view kHtmlDirector = "Regie";
inline constexpr std::string_view kHtmlActors = "Darsteller";
inline constexpr std::string_view kHtmlGenre = "Genre";
inline constexpr std::string_view kHtmlCoverFolderFailed =
    "Der Ordner \"%1\" für die Cover kann nicht angelegt werden.";
inline constexpr std::string_view kHtmlCoverWriteFailed =
    "Das Cover \"%1\" kann nicht in den Ordner \"%2\" kopiert werden (ist der Datenträger "
    "voll oder schreibgeschützt?).";
inline constexpr std::string_view kHtmlWriteFailed =
    "Die Seite \"%1\" kann nicht geschrieben werden (ist der Datenträger voll oder "
    "schreibgeschützt?).";

// -- import and export on the List page
inline constexpr std::string_view kImportMissing =
    "Die Datei \"%1\" wurde nicht gefunden oder kann nicht gelesen werden.";
inline constexpr std::string_view kImportIsFolder = "\"%1\" ist ein Ordner, keine Datei.";
inline constexpr std::string_view kImportEmpty = "Die Datei \"%1\" ist leer.";
inline constexpr std::string_view kImportTooLarge =
    "Die Datei \"%1\" ist größer als 2 GB und keine Filmsammlung, die Zelluo lesen kann.";
inline constexpr std::string_view kImportUnknownArchive =
    "Das Archiv \"%1\" ist weder eine Tellico-Sammlung noch eine Zelluo-Sicherung.";
inline constexpr std::string_view kImportUnknownXml =
    "Die XML-Datei \"%1\" ist keine Filmsammlung, die Zelluo kennt (Wurzelelement <%2>).";
inline constexpr std::string_view kImportButton = "Importieren";
inline constexpr std::string_view kExportButton = "Exportieren";
inline constexpr std::string_view kImportTitle = "Filme importieren";
inline constexpr std::string_view kImportableFiles =
    "Filmsammlungen (CSV, GCstar, Tellico, NFO, Griffith, Zelluo-Sicherung)";
inline constexpr std::string_view kAllFiles = "Alle Dateien";
inline constexpr std::string_view kOneFilm = " Film";
inline constexpr std::string_view kFilms = " Filme";
inline constexpr std::string_view kImportPreviewFile = "Datei: \"%1\" (%2)\n";
inline constexpr std::string_view kImportPreviewFound = "Gefunden: %1\n";
inline constexpr std::string_view kImportPreviewDuplicates =
    "Schon in der Sammlung (gleicher Titel und gleiches Jahr), werden übersprungen: %1\n";
inline constexpr std::string_view kImportPreviewUnmapped = "Nicht übernommene Felder: %1\n";
inline constexpr std::string_view kImportQuestion = "\nImportieren?";
inline constexpr std::string_view kImportNothingFound = "In \"%1\" wurden keine Filme gefunden.";
inline constexpr std::string_view kImportAllKnown =
    "Alle gefundenen Filme (%1) sind schon in der Sammlung. Es wird nichts importiert.";
// A backup whose films are all there may still carry loans the collection lacks.
inline constexpr std::string_view kImportOnlyLoans =
    "Alle gefundenen Filme (%1) sind schon in der Sammlung.\n"
    "Die Datei enthält %2; die fehlenden übernehmen?";
inline constexpr std::string_view kLoansImported = "%1 übernommen.";
inline constexpr std::string_view kOneLoan = " Ausleihe";
inline constexpr std::string_view kLoans = " Ausleihen";
inline constexpr std::string_view kImportReading =
    "Import: %1 % der Datei gelesen … (Escape bricht ab)";
inline constexpr std::string_view kImportParsing =
    "Import: %1 % der Datei ausgewertet … (Escape bricht ab)";
inline constexpr std::string_view kImportProgress =
    "Import: %1 von %2 Filmen vorbereitet … (Escape bricht ab)";
inline constexpr std::string_view kImportDone = "%1 importiert.";
inline constexpr std::string_view kImportCoverProblems =
    "\n\n%1 Cover konnten nicht übernommen werden; die Filme sind ohne Cover importiert. "
    "Das erste: %2";
inline constexpr std::string_view kImportStillRunning =
    "Der Import läuft noch. Bitte warten, bis er fertig ist, oder ihn mit Escape abbrechen.";
inline constexpr std::string_view kImportCancelQuestion =
    "Der Import ist noch nicht fertig. Import abbrechen? Es wird nichts importiert, die "
    "Sammlung bleibt, wie sie ist.";
inline constexpr std::string_view kImportQuitQuestion =
    "Der Import ist noch nicht fertig. Beim Beenden wird nichts importiert. Trotzdem beenden?";
inline constexpr std::string_view kExportTitle = "Filme exportieren";
inline constexpr std::string_view kMonths[] = {"Januar",    "Februar", "März",     "April",
                                               "Mai",       "Juni",    "Juli",     "August",
                                               "September", "Oktober", "November", "Dezember"};
inline constexpr std::string_view kExportSuggestedName = "Filme.csv";
inline constexpr std::string_view kCsvFiles = "CSV für Tabellenkalkulationen (*.csv)";
inline constexpr std::string_view kHtmlFiles = "HTML-Seite (*.html)";
inline constexpr std::string_view kBackupFiles = "Zelluo-Sicherung (*.zip)";
inline constexpr std::string_view kExportDone = "%1 nach \"%2\" exportiert.";
inline constexpr std::string_view kExportMissingCovers =
    "\n\n%1 Cover fehlten in der Sammlung und sind nicht in der Sicherung.";
inline constexpr std::string_view kExportWriteFailed =
    "Die Datei \"%1\" konnte nicht geschrieben werden (ist der Datenträger voll oder "
    "schreibgeschützt?).";

// The video file of a film (List page).
inline constexpr std::string_view kChooseVideoTitle = "Videodatei wählen";
inline constexpr std::string_view kVideoFiles = "Videodateien";
inline constexpr std::string_view kVideoLine = "Video: %1";

// The Play page.
inline constexpr std::string_view kFilterAll = "Alle";
inline constexpr std::string_view kFilterUnseen = "Ungesehen";
inline constexpr std::string_view kFilterStarted = "Angefangen";
inline constexpr std::string_view kColumnSeen = "Gesehen";
inline constexpr std::string_view kColumnProgress = "Fortschritt";
inline constexpr std::string_view kProgress = "%1 von %2";
inline constexpr std::string_view kPlayFilm = "Abspielen";
inline constexpr std::string_view kPlayFromStart = "Von vorn";
inline constexpr std::string_view kRandomFilm = "Zufallsfilm";
inline constexpr std::string_view kMarkSeen = "Als gesehen markieren";
inline constexpr std::string_view kMarkUnseen = "Als ungesehen markieren";
inline constexpr std::string_view kNoPlayableFilms =
    "Keine Filme mit Videodatei. Auf der Filmliste wählt Strg+O die Videodatei eines Films.";
inline constexpr std::string_view kNoUnseenFilm = "Hier ist kein ungesehener Film dabei.";
inline constexpr std::string_view kVideoMissing =
    "Die Videodatei \"%1\" ist nicht zu finden. Ist das Laufwerk angeschlossen?";
inline constexpr std::string_view kPlayingOutside =
    "\"%1\" läuft im Standardprogramm des Systems. Danach: \"Als gesehen markieren\".";
inline constexpr std::string_view kCannotPlay =
    "Für die Videodatei \"%1\" ließ sich kein Programm starten.";

}  // namespace zelluo::text

namespace zelluo::text {

// text with "%1" replaced by first and "%2" by second.
inline std::string FormatText(std::string_view text, std::string_view first,
                              std::string_view second = {}) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
      result += text[i + 1] == '1' ? first : second;
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

// The Update page.
inline constexpr std::string_view kFilmFolders = "Filmordner";
inline constexpr std::string_view kColumnFolder = "Ordner";
inline constexpr std::string_view kAddFolder = "Ordner hinzufügen";
inline constexpr std::string_view kRemoveFolder = "Ordner entfernen";
inline constexpr std::string_view kChooseFolderTitle = "Filmordner wählen";
inline constexpr std::string_view kFolderKnown = "Der Ordner \"%1\" ist schon in der Liste.";
inline constexpr std::string_view kScanNow = "Jetzt aktualisieren";
inline constexpr std::string_view kCancelScan = "Abbrechen";
inline constexpr std::string_view kApplyFindings = "Übernehmen";
inline constexpr std::string_view kToggleFinding = "Haken umschalten";
inline constexpr std::string_view kFindings = "Gefunden";
inline constexpr std::string_view kColumnChecked = "✓";
inline constexpr std::string_view kColumnKind = "Art";
inline constexpr std::string_view kColumnFile = "Datei";
inline constexpr std::string_view kChecked = "☑";
inline constexpr std::string_view kUnchecked = "☐";
inline constexpr std::string_view kFindingNew = "Neu";
inline constexpr std::string_view kFindingMatched = "Zugeordnet";
inline constexpr std::string_view kFindingMoved = "Verschoben";
inline constexpr std::string_view kFindingChanged = "Geändert";
inline constexpr std::string_view kFindingMissing = "Fehlt";
inline constexpr std::string_view kFindingUnreachable = "nicht erreichbar";
// "1.234 Dateien in 210 Ordnern …"
inline constexpr std::string_view kScanProgress = "%1 Dateien in %2 Ordnern …";
inline constexpr std::string_view kScanRead = "%1 Dateien in %2 Ordnern gelesen";
inline constexpr std::string_view kScanDone =
    ": %1 Funde. Gespeichert wird nichts, bis \"Übernehmen\" gedrückt wird.";
inline constexpr std::string_view kScanNothingFound = ": alles ist auf dem neuesten Stand.";
inline constexpr std::string_view kScanCancelled = "Abgebrochen. Nichts wurde gespeichert.";
inline constexpr std::string_view kNoFilmFolders =
    "Noch keine Filmordner: \"Ordner hinzufügen\" wählt einen.";
inline constexpr std::string_view kScanRunning = "Es läuft schon eine Aktualisierung.";
inline constexpr std::string_view kScanQuitQuestion =
    "Die Filmordner werden gerade gelesen. Trotzdem beenden? Gespeichert wird dabei nichts.";
// "Übernehmen" with many rows: covers and fingerprints made first.
inline constexpr std::string_view kApplyProgress = "Übernehmen: %1 von %2 Funden vorbereitet …";
inline constexpr std::string_view kFindingsApplied = "%1 Funde übernommen, davon %2 neue Filme.";
// A poster beside a film that could not be made its cover; %2 says why.
inline constexpr std::string_view kPosterNotTaken =
    "Das Bild \"%1\" wurde nicht als Cover übernommen: %2";
inline constexpr std::string_view kFolderUnreachable =
    "Der Ordner \"%1\" ist nicht erreichbar. Seine Filme bleiben, wie sie sind.";

// The statistics page (the button on the Play page opens it).
inline constexpr std::string_view kStatisticsButton = "Statistik";
inline constexpr std::string_view kStatisticsHeading = "Die Sammlung auf einen Blick";
inline constexpr std::string_view kTileFilms = "Filme";
inline constexpr std::string_view kTileRunningTime = "Gesamtlaufzeit";
inline constexpr std::string_view kTileSeen = "Gesehen";
inline constexpr std::string_view kTileLent = "Verliehen";
inline constexpr std::string_view kTileOverdue = "Überfällig";
// The running times added up: "12 Tage 4 Std.", "1 Tag 0 Std.", "5 Std. 20 Min.".
inline constexpr std::string_view kDaysHours = "%1 Tage %2 Std.";
inline constexpr std::string_view kOneDayHours = "1 Tag %1 Std.";
inline constexpr std::string_view kHoursMinutes = "%1 Std. %2 Min.";
// The share seen: "40 % (12 von 30)".
inline constexpr std::string_view kSeenShare = "%1 % (%2)";
inline constexpr std::string_view kSeenOf = "%1 von %2";
inline constexpr std::string_view kChartGenres = "Genres";
inline constexpr std::string_view kChartDirectors = "Regie";
inline constexpr std::string_view kChartCountries = "Länder";
inline constexpr std::string_view kChartDecades = "Jahrzehnte";
inline constexpr std::string_view kChartGrowth =
    "Filme in der Sammlung (nach dem Tag der Aufnahme)";
// The bucket of the films without a value, and a decade: "1990er".
inline constexpr std::string_view kWithoutValue = "ohne Angabe";
inline constexpr std::string_view kDecadeSuffix = "er";
// The List page narrowed to the films behind a bar: "Nur Filme mit Genre „Drama“ (Strg+U: alle)".
inline constexpr std::string_view kNarrowedToBar = "Nur Filme mit %1 „%2“ (Strg+U: alle)";
inline constexpr std::string_view kNarrowedToAdded = "Nur Filme, aufgenommen bis %1 (Strg+U: alle)";
inline constexpr std::string_view kBarGenre = "Genre";
inline constexpr std::string_view kBarDirector = "Regie";
inline constexpr std::string_view kBarCountry = "Land";
inline constexpr std::string_view kBarDecade = "Jahrzehnt";

}  // namespace zelluo::text
