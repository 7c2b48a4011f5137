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
    "  --no-start-dialogs   ohne Tipps und Assistent starten (für Aufrufe aus anderen Programmen)\n"
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

// The settings sheet "Einstellungen" and its pages, the chooser "Verzeichnis wählen", the file
// list "Zu optimierende Dateien wählen", and the multi-file and directory runs of the window.
inline constexpr const char* kSheetTitle = "Einstellungen";
inline constexpr const char* kApply = "Ü&bernehmen";
inline constexpr const char* kCancelButton = "Abbrechen";
inline constexpr const char* kPagesName = "Seiten";
inline constexpr const char* kHelpSettings = "das_dialogfeld_einstellungen.htm";
inline constexpr const char* kHelpBatch = "mehrere_dateien_optimieren.htm";
inline constexpr const char* kSettingsNotWritten =
    "Die Einstellungen können nicht gespeichert werden. Prüfen Sie, ob die Einstellungsdatei beschreibbar ist.";
inline constexpr const char* kRangeMessage = "Geben Sie eine ganze Zahl zwischen %1 und %2 ein.";
inline constexpr const char* kIntegerMessage = "Geben Sie eine ganze Zahl ein.";

inline constexpr const char* kPageCodeLayout = "Code Layout";
inline constexpr const char* kModeStandard = "Standard";
inline constexpr const char* kModeOneLine = "Alles auf eine Zeile (Vorsicht bei Seiten mit Scripten! Siehe Hilfe.)";
inline constexpr const char* kModeTree = "Komplett nach Baum";
inline constexpr const char* kModeCustom = "Benutzerdefiniert";
inline constexpr const char* kLayoutProfile = "Profil:";
inline constexpr const char* kEditLayout = "Einstellen...";
inline constexpr const char* kUseWrap = "Zeilenumbruch verwenden";
inline constexpr const char* kWrapAfter = "Umbrechen nach ca.";
inline constexpr const char* kCharacters = "Zeichen";
inline constexpr const char* kIndentTabs = "Tabulatoren";
inline constexpr const char* kIndentSpaces = "Leerzeichen   Anzahl:";
inline constexpr const char* kIndentNone = "Kein";
inline constexpr const char* kGroupLayoutMode = "Layout";
inline constexpr const char* kGroupWrap = "Zeilenumbruch";
inline constexpr const char* kGroupIndent = "Einschub";

inline constexpr const char* kPageProgram = "Programmoptionen";
inline constexpr const char* kGroupOutput = "Ausgabe";
inline constexpr const char* kClearOutput = "Vor jedem Optimieren löschen";
inline constexpr const char* kGroupDebug = "Debug";
inline constexpr const char* kShowTree = "HTML Baumansicht anzeigen";
inline constexpr const char* kShowTreeNote =
    "Nutzen Sie diese Funktion um zu überprüfen wie Trimvale den HTML Code der Originaldatei interpretiert "
    "(wird in einer Baumansicht angezeigt)";

inline constexpr const char* kPageErrors = "Fehlerbehandlung";
inline constexpr const char* kErrorsIntro =
    "Geben Sie hier an, ob Dateien, die Fehler in der HTML Struktur enthalten, optimiert werden sollen\n"
    "(nur für Mehrfachoptimierung, Einzeloptimierung wird wegen Vorschaumöglichkeit immer durchgeführt.)";
inline constexpr const char* kErrorsLevel0 = "Keine Datei optimieren, die Fehler enthält (empfohlen)";
inline constexpr const char* kErrorsLevel1 = "Dateien, die nur kleine Fehler aufweisen trotzdem optimieren";
inline constexpr const char* kErrorsLevel2 =
    "Alle Dateien optimieren, auch solche mit schwerwiegenden Fehlern\n"
    "(nicht empfohlen! Optimieren Sie diese einzeln mit Vorschau)";

inline constexpr const char* kPageBatch = "Mehrfachoptimierung";
inline constexpr const char* kCreateBackup = "Sicherungskopie erstellen (dringend empfohlen)";
inline constexpr const char* kBackupSameFolder = "Sicherungskopie in Ordner wie Original speichern";
inline constexpr const char* kBackupMoveOriginal =
    "Original in untenstehenden Ordner speichern, an Ursprungsort optimierte Datei speichern";
inline constexpr const char* kBackupOutputFolder =
    "Original behalten, optimierte Datei in untenstehenden Ordner speichern (empfohlen)";
inline constexpr const char* kBackupEnding = "Dateiendung";
inline constexpr const char* kFolder = "Ordner";
inline constexpr const char* kBrowse = "Durchsuchen...";
inline constexpr const char* kKeepFolders =
    "Ordnerstruktur beibehalten (andernfalls alles in selben Ordner speichern)\n(Nur für Verzeichnisoptimierung)";
inline constexpr const char* kKeepWeb =
    "Webstruktur beibehalten (neue Ordnerstruktur hat selben Aufbau wie das Originalweb, Stammordner der neuen "
    "Struktur ist obiger Ordner)";
inline constexpr const char* kWebRoot = "Stammordner des Webs";
inline constexpr const char* kGroupExisting = "Wenn Sicherungskopie bereits besteht";
inline constexpr const char* kExisting0 = "überschreiben wenn älter als zu optimierende Datei";
inline constexpr const char* kExisting1 = "immer überschreiben";
inline constexpr const char* kExisting2 = "unverändert belassen, neue unter neuem Namen erstellen";
inline constexpr const char* kExisting3 = "unverändert belassen, keine neue erstellen";
inline constexpr const char* kNeedEnding = "Bitte geben Sie eine Dateiendung für die Sicherungskopie an.";
inline constexpr const char* kEndingIsHtml =
    "Die Endungen htm und html können nicht als Endungen für die Sicherungskopie verwendet werden.";
inline constexpr const char* kNeedFolder = "Bitte wählen Sie einen gültigen Namen für den Ordner für die Sicherungskopie";
inline constexpr const char* kFolderIsWebRoot =
    "Der Stammordner des Webs und der Ordner für die Sicherungskopie bzw. optimierten Dateien müssen verschieden sein.";
inline constexpr const char* kNeedWebRoot =
    "Bitte wählen Sie ein gültiges Verzeichnis das die Wurzel des zu optimierenden Webs bildet.";

inline constexpr const char* kPageDirectory = "Verzeichnis optimieren";
inline constexpr const char* kSkipListed = "Folgende Verzeichnisse (und Unterverzeichnisse) nicht optimieren";
inline constexpr const char* kAdd = "Hinzufügen";
inline constexpr const char* kDelete = "Löschen";
inline constexpr const char* kSkipDirStrings = "Verzeichnisse die folgende Strings enthalten nicht optimieren";
inline constexpr const char* kSeparateHint = "(mit ; trennen)";
inline constexpr const char* kUseFileStrings = "Dateien mit folgenden Zeichenfolgen im Namen...";
inline constexpr const char* kSkipMatching = "nicht optimieren";
inline constexpr const char* kOnlyMatching = "nur diese optimieren";
inline constexpr const char* kAllStrings = "müssen alle enthalten sein (UND)";
inline constexpr const char* kAnyString = "muss nur eine enthalten sein (ODER)";
inline constexpr const char* kByDate = "Nur Dateien";
inline constexpr const char* kChanged = "geändert";
inline constexpr const char* kCreated = "erstellt";
inline constexpr const char* kWithinLast = "innerhalb der letzten";
inline constexpr const char* kDays = "Tage";
inline constexpr const char* kOptimizeWord = "optimieren";
inline constexpr const char* kNothingToDelete = "Kein Element zum Löschen gewählt.";
inline constexpr const char* kListUnreadable = "Fehler beim Lesen der Liste der nicht zu optimierenden Verzeichnisse.\r\n";
inline constexpr const char* kListNotWritten =
    "Die Liste der nicht zu optimierenden Verzeichnisse kann nicht gespeichert werden: %1";

inline constexpr const char* kChooserTitle = "Verzeichnis wählen";
inline constexpr const char* kFolderName = "Verzeichnisname";
inline constexpr const char* kComputer = "Computer";
inline constexpr const char* kSubfolders = "Unterordner optimieren";
inline constexpr const char* kFileTypes = "Dateitypen";
inline constexpr const char* kChooseValidFolder = "Bitte wählen Sie ein gültiges Verzeichnis";

inline constexpr const char* kFileListTitle = "Zu optimierende Dateien wählen";
inline constexpr const char* kFileListLabel = "Zu optimierende Dateien";
inline constexpr const char* kFileColumn = "Datei";
inline constexpr const char* kAddFiles = "Hinzufügen...";
inline constexpr const char* kRemove = "Entfernen";
inline constexpr const char* kRemoveAll = "Alle entfernen";
inline constexpr const char* kNext = "Weiter >";
inline constexpr const char* kNeedFiles =
    "Bitte wählen Sie mindestens eine Datei, die optmiert werden soll. Klicken Sie hierzu auf 'Hinzufügen' und "
    "wählen Sie die Dateien aus.";
inline constexpr const char* kHtmlFilesFilter = "HTML Dateien (*.htm, *.html) (*.htm *.html)";
inline constexpr const char* kAllFilesFilter = "Alle Dateien (*.*) (*)";

inline constexpr const char* kProgressName = "Fortschritt";
inline constexpr const char* kProgressFormat = "%1 von %2 Dateien: %3";
inline constexpr const char* kRunNotStarted = "Der Optimierungsvorgang konnte nicht gestartet werden.";
// The profile editors "Tageigenschaften" (TagLayoutEditor with "Markierte Tags bearbeiten",
// "Tag hinzufügen", "Neues Profil") and "Erweiterte Tagoptimierungen" (TagOptimizationEditor
// with CNameDlg).
inline constexpr const char* kLayoutEditorTitle = "Tageigenschaften";
inline constexpr const char* kProfileNameLabel = "Profilname:";
inline constexpr const char* kColumnTag = "Tag";
inline constexpr const char* kColumnEndTag = "Hat Endtag";
inline constexpr const char* kColumnsExplained =
    "Spalten:\n1: Umbruch vor dem Tag .._<.. [0,1]\n2: Umbrüche nach dem Tag ...>_... [0,1,2]\n3: Untertags "
    "einschieben [0,1]\n4: Umbrüche vor Endtag .._</... [0,1,2]\n5: Umbrüche nach Endtag /..>_.. [0,1,2]";
inline constexpr const char* kNewEllipsis = "&Neu...";
inline constexpr const char* kEditEllipsis = "&Bearbeiten...";
inline constexpr const char* kAddEllipsis = "&Hinzufügen...";
inline constexpr const char* kAskSaveProfile = "Das aktuelle Profil wurde geändert. Wollen Sie die Änderungen speichern?";
inline constexpr const char* kStandardNotDeletable =
    "Dies ist ein Standardprofil. Sie können nur benutzerdefinierte Profile löschen.";
inline constexpr const char* kAskDeleteProfile = "Soll dieses Profil endgültig gelöscht werden?";
inline constexpr const char* kStandardNotEditable =
    "Standardprofile können nicht verändert werden. Nur vom Benutzer erstellte Profile können bearbeitet werden.      "
    "\nErstellen Sie ein neues Profil auf der Basis des aktuellen und bearbeiten Sie dieses.";
inline constexpr const char* kStandardInUse =
    "Sie benutzen eine Standardprofil. Sie können nur benutzerdefinierte Profile bearbeiten.";
inline constexpr const char* kLayoutHelpTopic = "das_dialogfeld_tageigenschaften.htm";
inline constexpr const char* kBreakBefore = "Umbruch vor dem Tag .._<.. [0,1]";
inline constexpr const char* kBreaksAfter = "Umbrüche nach dem Tag ...>_... [0,1,2]";
inline constexpr const char* kIndentSubtags = "Untertags einschieben [0,1]";
inline constexpr const char* kBreaksBeforeEnd = "Umbrüche vor Endtag .._</... [0,1,2]";
inline constexpr const char* kBreaksAfterEnd = "Umbrüche nach Endtag /..>_.. [0,1,2]";
inline constexpr const char* kEndTagGroup = "Hat Endtag";
inline constexpr const char* kEndTagNone = "Ohne";
inline constexpr const char* kEndTagAlways = "Immer";
inline constexpr const char* kEndTagPartly = "Teilweise";
inline constexpr const char* kEditTagsTitle = "Markierte Tags bearbeiten";
inline constexpr const char* kEmptyFieldsNote = "Leere Felder: Daten bleiben unverändert";
inline constexpr const char* kEnter01 = "Bitte geben Sie 0 oder 1 ein oder lassen Sie das Feld leer.";
inline constexpr const char* kEnter012 = "Bitte geben Sie 0, 1 oder 2 ein oder lassen Sie das Feld leer.";
inline constexpr const char* kAddTagTitle = "Tag hinzufügen";
inline constexpr const char* kTagName = "Tagname";
inline constexpr const char* kEnterTagName = "Bitte geben Sie einen Namen für das Tag ein.";
inline constexpr const char* kTagExists = "Dieses Element ist schon vorhanden. Bitte wählen Sie einen anderen Namen.";
inline constexpr const char* kNewProfileTitle = "Neues Profil";
inline constexpr const char* kName = "Name";
inline constexpr const char* kEmptyProfile = "Leeres Profil erstellen";
inline constexpr const char* kFromTemplate = "Profil als Vorlage verwenden";
inline constexpr const char* kEnterProfileName = "Bitte geben Sie einen Namen für das neue Profil ein";
inline constexpr const char* kNameExists = "Dieser Name ist bereits vorhanden. Bitte wählen Sie einen anderen Namen.";
inline constexpr const char* kOptimizationEditorTitle = "Erweiterte Tagoptimierungen";
inline constexpr const char* kGroupProfile = "Profil";
inline constexpr const char* kGroupTagList = "Tagliste";
inline constexpr const char* kNewShort = "Neu...";
inline constexpr const char* kGroupTagProperties = "Eigenschaften gewähltes Tag";
inline constexpr const char* kDeleteTag = "Tag löschen";
inline constexpr const char* kGroupSubtags = "Untertags";
inline constexpr const char* kSubtagsDelete = "löschen";
inline constexpr const char* kSubtagsMove = "umhängen";
inline constexpr const char* kDeleteAttributes = "Atribute löschen";
inline constexpr const char* kAttrClass = "class";
inline constexpr const char* kAttrStyle = "style";
inline constexpr const char* kAttrRest = "Rest";
inline constexpr const char* kReplaceBy = "Ersetzen durch";
inline constexpr const char* kDeleteSubtags = "Untertags löschen";
inline constexpr const char* kEnterName = "Bitte geben Sie einen Namen ein.";
inline constexpr const char* kOptimizationHelpTopic = "das_dialogfeld_erweiterte_tagoptimierungen.htm";
// Help, about box, "Tipps und Tricks" and the start wizard "Willkommen".
inline constexpr const char* kHelpMissing =
    "Die Hilfedatei %1 wurde nicht gefunden. Installieren Sie das Programm neu.";
inline constexpr const char* kHelpWindowTitle = "Trimvale Hilfe";
inline constexpr const char* kAboutText =
    "<p><b>%1</b><br>Version %2</p>"
    "<p>Macht aus dem HTML von Textverarbeitungen kleine, saubere Seiten, die gleich aussehen.</p>"
    "<p><a href=\"%3\">%3</a></p>";
inline constexpr const char* kTipsTitle = "Tipps und Tricks";
inline constexpr const char* kTipsHeading = "Wußten Sie schon...";
inline constexpr const char* kTipsAtStartUp = "&Tipps beim Starten anzeigen";
inline constexpr const char* kTipsNext = "&Nächster Tipp";
inline constexpr const char* kTipsClose = "&Schließen";
inline constexpr const char* kTipsMissing = "Tips-Datei ist im vorgeschriebenen Verzeichnis nicht vorhanden";
inline constexpr const char* kTipsReadProblem = "Probleme beim Lesen der Tips-Datei";
inline constexpr const char* kWizardTitle = "Willkommen";
inline constexpr const char* kWizardQuestion = "Was möchten Sie tun?";
inline constexpr const char* kWizardOneFile =
    "Eine einzelne Datei oder einen Bereich davon optimieren\n(mit Vorschaumöglichkeit, Speichern nach Vorschau)";
inline constexpr const char* kWizardSeveralFiles =
    "Mehrere Dateien auf einmal optimieren\n(Einzelauswahl, keine Vorschaumöglichkeit, direkt gespeichert)";
inline constexpr const char* kWizardDirectory =
    "Alle Dateien in einem bestimmten Verzeichnis optimieren\n(ohne Vorschaumöglichkeit, direkt gespeichert)";
inline constexpr const char* kWizardClipboard =
    "Code in der Zwischenablage optimieren\n(beschränkte Vorschaumöglichkeit)";
inline constexpr const char* kWizardShowAtStart = "Diesen Bildschirm beim Start zeigen";
inline constexpr const char* kWizardNext = "Weiter >";

}  // namespace trimvale::shell::text
