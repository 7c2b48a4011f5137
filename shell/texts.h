#pragma once
// Every German text the desktop program shows, in one place. Menu texts keep their "&" mnemonic;
// texts that go to the output pane carry their own "\r\n".

namespace trimvale::shell::text {

// Program and start-up.
inline constexpr const char* kAppName = "Trimvale";
inline constexpr const char* kLayoutFileMissing =
    "Die Datei 'tageinst.txt' wurde nicht gefunden! Installieren Sie neu.";
inline constexpr const char* kUntitled = "Unbenannt";
inline constexpr const char* kUsage =
    "Aufruf: trimvale [OPTIONEN] [DATEI]\n"
    "\n"
    "Öffnet DATEI (eine HTML-Seite) im Quelltext-Editor des Programms.\n"
    "\n"
    "Optionen:\n"
    "  --rules-dir ORDNER   Programmordner mit tageinst.txt und profile.txt\n"
    "  --settings DATEI     Einstellungsdatei (sonst TRIMVALE_SETTINGS oder die Benutzerdatei)\n"
    "  --version            Version ausgeben\n"
    "  --help               diese Hilfe ausgeben\n";

// Menus.
inline constexpr const char* kMenuFile = "&Datei";
inline constexpr const char* kMenuEdit = "&Bearbeiten";
inline constexpr const char* kMenuView = "&Ansicht";
inline constexpr const char* kMenuOptimize = "&Optimieren";
inline constexpr const char* kMenuHelp = "&?";

// Commands: menu text, then the status-bar prompt.
inline constexpr const char* kNew = "&Neu";
inline constexpr const char* kNewTip = "Erstellt ein neues Dokument";
inline constexpr const char* kOpen = "Ö&ffnen...";
inline constexpr const char* kOpenTip = "Öffnet ein bestehendes Dokument";
inline constexpr const char* kSave = "&Speichern";
inline constexpr const char* kSaveTip = "Speichert das aktive Dokument";
inline constexpr const char* kSaveAs = "Speichern &unter...";
inline constexpr const char* kSaveAsTip = "Speichert das aktive Dokument unter einem neuem Namen";
inline constexpr const char* kPrint = "&Drucken...";
inline constexpr const char* kPrintTip = "Druckt das aktive Dokument";
inline constexpr const char* kPrintPreview = "Seiten&ansicht";
inline constexpr const char* kPrintPreviewTip = "Zeigt ganze Seiten an";
inline constexpr const char* kPrintSetup = "Dr&uckereinrichtung...";
inline constexpr const char* kPrintSetupTip = "Ändert die Druckoptionen";
inline constexpr const char* kExit = "&Beenden";
inline constexpr const char* kExitTip = "Verläßt die Anwendung; fordert zum Speichern der Dokumente auf";
inline constexpr const char* kUndo = "&Rückgängig";
inline constexpr const char* kUndoTip = "Macht die letzte Aktion rückgängig";
inline constexpr const char* kCut = "&Ausschneiden";
inline constexpr const char* kCutTip = "Entfernt die Markierung und kopiert sie in die Zwischenablage";
inline constexpr const char* kCopy = "&Kopieren";
inline constexpr const char* kCopyTip = "Kopiert die Markierung in die Zwischenablage";
inline constexpr const char* kPaste = "&Einfügen";
inline constexpr const char* kPasteTip = "Fügt den Inhalt der Zwischenablage ein";
inline constexpr const char* kSelectAll = "Alles &markieren";
inline constexpr const char* kSelectAllTip = "Markiert das gesamte Dokument";
inline constexpr const char* kFind = "&Suchen...";
inline constexpr const char* kFindTip = "Sucht den angegebenen Text";
inline constexpr const char* kFindNext = "&Weitersuchen";
inline constexpr const char* kFindNextTip = "Wiederholt die letzte Suche";
inline constexpr const char* kReplace = "&Ersetzen...";
inline constexpr const char* kReplaceTip = "Ersetzt einen Text durch einen anderen";
inline constexpr const char* kSource = "&Quelltext";
inline constexpr const char* kSourceTip = "Zeigt den Quelltext der Seite";
inline constexpr const char* kPreview = "&Vorschau";
inline constexpr const char* kPreviewTip = "Zeigt die gespeicherte und die optimierte Seite nebeneinander";
inline constexpr const char* kOutput = "&Ausgabe";
inline constexpr const char* kOutputTip = "Zeigt oder verbirgt die Ausgabe";
inline constexpr const char* kToolBar = "&Symbolleiste";
inline constexpr const char* kToolBarTip = "Zeigt oder verbirgt die Symbolleiste";
inline constexpr const char* kStatusBar = "S&tatusleiste";
inline constexpr const char* kStatusBarTip = "Zeigt oder verbirgt die Statusleiste";
inline constexpr const char* kWordWrap = "&Zeilenumbruch";
inline constexpr const char* kWordWrapTip = "Bricht die Zeilen am Fensterrand um";
inline constexpr const char* kFont = "Schrift&art...";
inline constexpr const char* kFontTip = "Ändert die Schriftart des Editors";
inline constexpr const char* kTabLength = "&Tabulator Länge...";
inline constexpr const char* kTabLengthTip = "Ändert die Tabulator Länge\nTabulator Länge";
inline constexpr const char* kOptimize = "&Optimieren...";
inline constexpr const char* kOptimizeTip = "Optimiert das Dokument oder die Markierung";
inline constexpr const char* kOptimizeFiles = "Me&hrere optimieren...";
inline constexpr const char* kOptimizeFilesTip = "Optimiert mehrere Dateien";
inline constexpr const char* kOptimizeDirectory = "&Verzeichnis optimieren...";
inline constexpr const char* kOptimizeDirectoryTip = "Optimiert alle Dateien eines Verzeichnisses";
inline constexpr const char* kCancel = "Abbrechen";
inline constexpr const char* kCancelTip = "Bricht die laufende Optimierung ab";
inline constexpr const char* kSettings = "&Einstellungen...";
inline constexpr const char* kSettingsTip = "Ändert die Einstellungen";
inline constexpr const char* kWizard = "&Assistent für neue Sitzung...";
inline constexpr const char* kWizardTip = "Zeigt den Assistenten für eine neue Sitzung";
inline constexpr const char* kTips = "Ti&ps und Tricks...";
inline constexpr const char* kTipsTip = "Zeigt Tipps und Tricks";
inline constexpr const char* kHelpTopics = "&Hilfethemen";
inline constexpr const char* kHelpTopicsTip = "Zeigt die Hilfethemen";
inline constexpr const char* kAbout = "&Info über Trimvale...";
inline constexpr const char* kAboutTip = "Zeigt Programminformationen, Versionsnummer und Copyright an";
inline constexpr const char* kNextPane = "Nächster Ausschnitt";
inline constexpr const char* kPreviousPane = "Vorheriger Ausschnitt";
inline constexpr const char* kContextHelp = "Kontexthilfe";
inline constexpr const char* kRecentFile = "Zuletzt geöffnete Datei";
inline constexpr const char* kReady = "Bereit";
inline constexpr const char* kPosition = "Zeile %1, Spalte %2";
inline constexpr const char* kPositionName = "Position";

// Window parts.
inline constexpr const char* kOutputTitle = "Ausgabe";
inline constexpr const char* kSourceTab = "Quelle";
inline constexpr const char* kPreviewTab = "Vorschau (Original/optimiert)";
inline constexpr const char* kToolBarTitle = "Symbolleiste";
inline constexpr const char* kEditorName = "Quelltext";
inline constexpr const char* kPreviewOriginal = "Original";
inline constexpr const char* kPreviewOptimized = "Optimiert";
inline constexpr const char* kParseTreeTitle = "DEBUG Html Baum";
inline constexpr const char* kParseTreeTop = "HTML Spezifikation:";

// File dialogs and documents.
inline constexpr const char* kHtmlFilter = "HTML Dateien (*.htm *.html)";
inline constexpr const char* kAllFilter = "Alle Dateien (*)";
inline constexpr const char* kAskToSave = "Änderungen in %1 speichern?";
inline constexpr const char* kCannotOpen = "Die Datei %1 kann nicht geöffnet werden: %2";
inline constexpr const char* kCannotSave = "Die Datei %1 kann nicht gespeichert werden: %2";
inline constexpr const char* kSaveDespiteInvalid =
    "Die Seite enthält Zeichen, die im Zeichensatz %1 nicht gültig sind. Trotzdem speichern?";

// Optimizing.
inline constexpr const char* kChooseRange = "Bitte wählen Sie einen Bereich, den Sie optimieren wollen.";
inline constexpr const char* kCancelling = "Breche ab...\r\n";
inline constexpr const char* kNotAvailable = "Diese Funktion ist in dieser Version noch nicht verfügbar.";

// Preview.
inline constexpr const char* kTempPageName = "wlbxvstmp.htm";
inline constexpr const char* kMissingOriginalPage = "vnm.htm";
inline constexpr const char* kNoOriginalPreview = "Vorschau der Originaldatei nicht möglich, da nicht vorhanden.\r\n";
inline constexpr const char* kCannotDeleteTemp = "Kann temporäre Vorschaudatei nicht löschen";
inline constexpr const char* kCannotWriteTemp = "Kann temporäre Vorschaudatei nicht schreiben";
inline constexpr const char* kPrivateTempFolder =
    "Der Ordner der Seite ist nicht beschreibbar; die Vorschau liegt in einem privaten temporären Ordner. "
    "Relative Bilder und Verweise der Seite werden darum nicht angezeigt.\r\n";

// Find and replace.
inline constexpr const char* kFindTitle = "Suchen";
inline constexpr const char* kReplaceTitle = "Ersetzen";
inline constexpr const char* kFindWhat = "Su&chen nach:";
inline constexpr const char* kReplaceWith = "Ersetzen &durch:";
inline constexpr const char* kMatchCase = "&Groß-/Kleinschreibung";
inline constexpr const char* kWholeWord = "Nur &ganzes Wort suchen";
inline constexpr const char* kSearchUp = "Nach &oben suchen";
inline constexpr const char* kFindNextButton = "&Weitersuchen";
inline constexpr const char* kReplaceButton = "&Ersetzen";
inline constexpr const char* kReplaceAllButton = "&Alle ersetzen";
inline constexpr const char* kClose = "Schließen";
inline constexpr const char* kNotFound = "Der angegebene Text wurde nicht gefunden: %1";

// The "Optimieren" dialog.
inline constexpr const char* kOptimizeTitle = "Optimieren";
inline constexpr const char* kGroupOptimizations = "Optimierungen";
inline constexpr const char* kCaptionKeepsLayout = "Layout nicht verändernd";
inline constexpr const char* kCaptionKeepsLayoutAuto = "Layout nicht verändernd wenn auto gewählt";
inline constexpr const char* kCaptionChangesLayout = "Layout verändernd";
inline constexpr const char* kGroupAdvanced = "Erweitert";
inline constexpr const char* kProfileLabel = "Profil:";
inline constexpr const char* kNoProfile = "<nicht verwenden>";
inline constexpr const char* kEditProfiles = "Bearbeiten...";
inline constexpr const char* kGroupRange = "Bereich";
inline constexpr const char* kRangeSelection = "Markierung";
inline constexpr const char* kRangeWhole = "gesamtes Dokument";
inline constexpr const char* kLayoutNote =
    "Hinweis: Das Zeilenumbruchverhalten müssen\nSie unter 'Einstellungen' einstellen.";
inline constexpr const char* kSettingsButton = "Einstellungen...";
inline constexpr const char* kHelpButton = "?";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kAuto = "auto";
inline constexpr const char* kAll = "alle";
inline constexpr const char* kSpanDelete = "<span> löschen";
inline constexpr const char* kDeleteAllStyles = "Alle Stilvorlagen löschen";
inline constexpr const char* kStrongToB = "<strong> durch <b> ersetzen";
inline constexpr const char* kDeleteXml = "xml löschen";
inline constexpr const char* kAutomatic = "Automatisch";
inline constexpr const char* kDeleteEmptyTags = "Leere Tags löschen";
inline constexpr const char* kBlankLineFormats = "Formate von Zeilen mit nur Leerzeichen löschen";
inline constexpr const char* kRemoveWordIf = "Word spezifische [if Befehle entfernen";
inline constexpr const char* kCommentsRest = "Rest";
inline constexpr const char* kCommentsScript = "script";
inline constexpr const char* kCommentsStyle = "style";
inline constexpr const char* kUnneededFormats = "Unnötige Formatierungen entfernen";
inline constexpr const char* kCommentsWebbot = "webbot";
inline constexpr const char* kSpecialChars = "Sonderzeichen durch gültige Syntax ersetzen";
inline constexpr const char* kKeepLook = "Darstellung bewahren";
inline constexpr const char* kDeleteComments = "Kommentare löschen (teilweise Funktion verändernd)";

}  // namespace trimvale::shell::text
