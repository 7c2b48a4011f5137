#!/usr/bin/env python3
"""Writes resources/samples/rundschreiben.htm: a page in the shape a word processor saves
(vendor styles, conditional comments, vector markup, office tags, needless spans), with our
own German text. Run it again only to change the sample; the page itself is checked in."""
import pathlib

HEAD = r'''<html xmlns:v="urn:schemas-microsoft-com:vml"
xmlns:o="urn:schemas-microsoft-com:office:office"
xmlns:w="urn:schemas-microsoft-com:office:word"
xmlns:m="http://schemas.microsoft.com/office/2004/12/omml"
xmlns="http://www.w3.org/TR/REC-html40">

<head>
<meta http-equiv=Content-Type content="text/html; charset=windows-1252">
<meta name=ProgId content=Word.Document>
<meta name=Generator content="Microsoft Word 15">
<meta name=Originator content="Microsoft Word 15">
<link rel=File-List href="rundschreiben-Dateien/filelist.xml">
<link rel=Edit-Time-Data href="rundschreiben-Dateien/editdata.mso">
<title>Rundschreiben Gartenverein Lindenhof</title>
<!--[if gte mso 9]><xml>
 <o:DocumentProperties>
  <o:Author>Schriftführung</o:Author>
  <o:LastAuthor>Schriftführung</o:LastAuthor>
  <o:Revision>7</o:Revision>
  <o:TotalTime>184</o:TotalTime>
  <o:Created>2026-03-02T08:14:00Z</o:Created>
  <o:LastSaved>2026-03-09T17:41:00Z</o:LastSaved>
  <o:Pages>3</o:Pages>
  <o:Words>1420</o:Words>
  <o:Characters>8951</o:Characters>
  <o:Lines>74</o:Lines>
  <o:Paragraphs>20</o:Paragraphs>
  <o:CharactersWithSpaces>10351</o:CharactersWithSpaces>
  <o:Version>16.00</o:Version>
 </o:DocumentProperties>
 <o:OfficeDocumentSettings>
  <o:AllowPNG/>
 </o:OfficeDocumentSettings>
</xml><![endif]-->
<link rel=themeData href="rundschreiben-Dateien/themedata.thmx">
<link rel=colorSchemeMapping href="rundschreiben-Dateien/colorschememapping.xml">
<!--[if gte mso 9]><xml>
 <w:WordDocument>
  <w:SpellingState>Clean</w:SpellingState>
  <w:GrammarState>Clean</w:GrammarState>
  <w:TrackMoves>false</w:TrackMoves>
  <w:TrackFormatting/>
  <w:HyphenationZone>21</w:HyphenationZone>
  <w:PunctuationKerning/>
  <w:ValidateAgainstSchemas/>
  <w:SaveIfXMLInvalid>false</w:SaveIfXMLInvalid>
  <w:IgnoreMixedContent>false</w:IgnoreMixedContent>
  <w:AlwaysShowPlaceholderText>false</w:AlwaysShowPlaceholderText>
  <w:DoNotPromoteQF/>
  <w:LidThemeOther>DE</w:LidThemeOther>
  <w:LidThemeAsian>X-NONE</w:LidThemeAsian>
  <w:LidThemeComplexScript>X-NONE</w:LidThemeComplexScript>
  <w:Compatibility>
   <w:BreakWrappedTables/>
   <w:SnapToGridInCell/>
   <w:WrapTextWithPunct/>
   <w:UseAsianBreakRules/>
   <w:DontGrowAutofit/>
  </w:Compatibility>
  <m:mathPr>
   <m:mathFont m:val="Cambria Math"/>
   <m:brkBin m:val="before"/>
   <m:defJc m:val="centerGroup"/>
  </m:mathPr></w:WordDocument>
</xml><![endif]--><!--[if gte mso 9]><xml>
 <w:LatentStyles DefLockedState="false" DefUnhideWhenUsed="false"
  DefSemiHidden="false" DefQFormat="false" DefPriority="99"
  LatentStyleCount="376">
  <w:LsdException Locked="false" Priority="0" QFormat="true" Name="Normal"/>
  <w:LsdException Locked="false" Priority="9" QFormat="true" Name="heading 1"/>
  <w:LsdException Locked="false" Priority="9" SemiHidden="true"
   UnhideWhenUsed="true" QFormat="true" Name="heading 2"/>
  <w:LsdException Locked="false" Priority="39" SemiHidden="true"
   UnhideWhenUsed="true" Name="toc 1"/>
  <w:LsdException Locked="false" Priority="59" Name="Table Grid"/>
  <w:LsdException Locked="false" Priority="34" QFormat="true"
   Name="List Paragraph"/>
 </w:LatentStyles>
</xml><![endif]-->
<style>
<!--
 /* Font Definitions */
 @font-face
	{font-family:Wingdings;
	panose-1:5 0 0 0 0 0 0 0 0 0;
	mso-font-charset:2;
	mso-generic-font-family:auto;
	mso-font-pitch:variable;
	mso-font-signature:0 268435456 0 0 -2147483648 0;}
@font-face
	{font-family:"Cambria Math";
	panose-1:2 4 5 3 5 4 6 3 2 4;
	mso-font-charset:0;
	mso-generic-font-family:roman;
	mso-font-pitch:variable;
	mso-font-signature:-536869121 1107305727 33554432 0 415 0;}
@font-face
	{font-family:Calibri;
	panose-1:2 15 5 2 2 2 4 3 2 4;
	mso-font-charset:0;
	mso-generic-font-family:swiss;
	mso-font-pitch:variable;
	mso-font-signature:-469750017 -1073732485 9 0 511 0;}
 /* Style Definitions */
 p.MsoNormal, li.MsoNormal, div.MsoNormal
	{mso-style-unhide:no;
	mso-style-qformat:yes;
	mso-style-parent:"";
	margin-top:0cm;
	margin-right:0cm;
	margin-bottom:8.0pt;
	margin-left:0cm;
	line-height:107%;
	mso-pagination:widow-orphan;
	font-size:11.0pt;
	font-family:"Calibri",sans-serif;
	mso-ascii-font-family:Calibri;
	mso-ascii-theme-font:minor-latin;
	mso-fareast-font-family:Calibri;
	mso-fareast-theme-font:minor-latin;
	mso-hansi-font-family:Calibri;
	mso-hansi-theme-font:minor-latin;
	mso-bidi-font-family:"Times New Roman";
	mso-bidi-theme-font:minor-bidi;
	mso-fareast-language:EN-US;}
h1
	{mso-style-priority:9;
	mso-style-unhide:no;
	mso-style-qformat:yes;
	mso-style-link:"\00DCberschrift 1 Zchn";
	margin-top:12.0pt;
	margin-right:0cm;
	margin-bottom:0cm;
	margin-left:0cm;
	line-height:107%;
	mso-pagination:widow-orphan lines-together;
	page-break-after:avoid;
	mso-outline-level:1;
	font-size:16.0pt;
	font-family:"Calibri Light",sans-serif;
	color:#2F5496;
	mso-font-kerning:0pt;
	mso-fareast-language:EN-US;
	font-weight:normal;}
h2
	{mso-style-priority:9;
	mso-style-qformat:yes;
	margin-top:2.0pt;
	margin-right:0cm;
	margin-bottom:0cm;
	margin-left:0cm;
	line-height:107%;
	page-break-after:avoid;
	mso-outline-level:2;
	font-size:13.0pt;
	font-family:"Calibri Light",sans-serif;
	color:#2F5496;
	font-weight:normal;}
p.MsoListParagraph, li.MsoListParagraph, div.MsoListParagraph
	{mso-style-priority:34;
	mso-style-unhide:no;
	mso-style-qformat:yes;
	margin-top:0cm;
	margin-right:0cm;
	margin-bottom:8.0pt;
	margin-left:36.0pt;
	mso-add-space:auto;
	line-height:107%;
	font-size:11.0pt;
	font-family:"Calibri",sans-serif;}
p.MsoListParagraphCxSpFirst, li.MsoListParagraphCxSpFirst, div.MsoListParagraphCxSpFirst
	{mso-style-priority:34;
	mso-style-type:export-only;
	margin-top:0cm;
	margin-right:0cm;
	margin-bottom:0cm;
	margin-left:36.0pt;
	mso-add-space:auto;
	line-height:107%;
	font-size:11.0pt;
	font-family:"Calibri",sans-serif;}
p.MsoListParagraphCxSpLast, li.MsoListParagraphCxSpLast, div.MsoListParagraphCxSpLast
	{mso-style-priority:34;
	mso-style-type:export-only;
	margin-top:0cm;
	margin-right:0cm;
	margin-bottom:8.0pt;
	margin-left:36.0pt;
	mso-add-space:auto;
	line-height:107%;
	font-size:11.0pt;
	font-family:"Calibri",sans-serif;}
span.berschrift1Zchn
	{mso-style-name:"\00DCberschrift 1 Zchn";
	mso-style-priority:9;
	mso-style-unhide:no;
	mso-style-locked:yes;
	mso-style-link:"\00DCberschrift 1";
	mso-ansi-font-size:16.0pt;
	mso-bidi-font-size:16.0pt;
	font-family:"Calibri Light",sans-serif;
	color:#2F5496;}
span.SpellE
	{mso-style-name:"";
	mso-spl-e:yes;}
.MsoChpDefault
	{mso-style-type:export-only;
	mso-default-props:yes;
	font-family:"Calibri",sans-serif;
	mso-fareast-language:EN-US;}
.MsoPapDefault
	{mso-style-type:export-only;
	margin-bottom:8.0pt;
	line-height:107%;}
@page WordSection1
	{size:595.3pt 841.9pt;
	margin:70.85pt 70.85pt 2.0cm 70.85pt;
	mso-header-margin:35.4pt;
	mso-footer-margin:35.4pt;
	mso-paper-source:0;}
div.WordSection1
	{page:WordSection1;}
 /* List Definitions */
 @list l0
	{mso-list-id:1148670012;
	mso-list-type:hybrid;
	mso-list-template-ids:-1513380312 67567617 67567619 67567621 67567617 67567619 67567621 67567617 67567619 67567621;}
@list l0:level1
	{mso-level-number-format:bullet;
	mso-level-text:\F0B7;
	mso-level-tab-stop:none;
	mso-level-number-position:left;
	text-indent:-18.0pt;
	font-family:Symbol;}
@list l1
	{mso-list-id:2027516449;
	mso-list-type:hybrid;
	mso-list-template-ids:1826417118 67567631 67567641 67567643 67567631 67567641 67567643 67567631 67567641 67567643;}
@list l1:level1
	{mso-level-tab-stop:none;
	mso-level-number-position:left;
	text-indent:-18.0pt;}
ol
	{margin-bottom:0cm;}
ul
	{margin-bottom:0cm;}
-->
</style>
<!--[if gte mso 10]>
<style>
 /* Style Definitions */
 table.MsoNormalTable
	{mso-style-name:"Normale Tabelle";
	mso-tstyle-rowband-size:0;
	mso-tstyle-colband-size:0;
	mso-style-noshow:yes;
	mso-style-priority:99;
	mso-style-parent:"";
	mso-padding-alt:0cm 5.4pt 0cm 5.4pt;
	mso-para-margin-top:0cm;
	mso-para-margin-right:0cm;
	mso-para-margin-bottom:8.0pt;
	mso-para-margin-left:0cm;
	line-height:107%;
	mso-pagination:widow-orphan;
	font-size:11.0pt;
	font-family:"Calibri",sans-serif;
	mso-fareast-language:EN-US;}
table.MsoTableGrid
	{mso-style-name:Tabellenraster;
	mso-tstyle-rowband-size:0;
	mso-tstyle-colband-size:0;
	mso-style-priority:39;
	mso-style-unhide:no;
	border:solid windowtext 1.0pt;
	mso-border-alt:solid windowtext .5pt;
	mso-padding-alt:0cm 5.4pt 0cm 5.4pt;
	mso-border-insideh:.5pt solid windowtext;
	mso-border-insidev:.5pt solid windowtext;
	mso-para-margin:0cm;
	font-size:11.0pt;
	font-family:"Calibri",sans-serif;
	mso-fareast-language:EN-US;}
</style>
<![endif]--><!--[if gte mso 9]><xml>
 <o:shapedefaults v:ext="edit" spidmax="1026"/>
</xml><![endif]--><!--[if gte mso 9]><xml>
 <o:shapelayout v:ext="edit">
  <o:idmap v:ext="edit" data="1"/>
 </o:shapelayout></xml><![endif]-->
</head>

<body lang=DE style='tab-interval:35.4pt;word-wrap:break-word'>

<div class=WordSection1>

'''

def para(text, cls="MsoNormal", style=None):
    st = f" style='{style}'" if style else ""
    return f"<p class={cls}{st}><span style='mso-fareast-language:DE'>{text}<o:p></o:p></span></p>\n\n"

def empty_para():
    return "<p class=MsoNormal><span style='mso-fareast-language:DE'><o:p>&nbsp;</o:p></span></p>\n\n"

def heading(level, text, anchor):
    return (f"<h{level}><a name=\"{anchor}\"><span style='mso-fareast-language:DE'>{text}</span></a>"
            f"<span style='mso-fareast-language:DE'><o:p></o:p></span></h{level}>\n\n")

def bullet(text, pos):
    cls = {"first": "MsoListParagraphCxSpFirst", "middle": "MsoListParagraphCxSpMiddle",
           "last": "MsoListParagraphCxSpLast"}[pos]
    return (f"<p class={cls} style='text-indent:-18.0pt;mso-list:l0 level1 lfo1'><![if !supportLists]><span\n"
            "style='font-family:Symbol;mso-fareast-font-family:Symbol;mso-bidi-font-family:\nSymbol;"
            "mso-fareast-language:DE'><span style='mso-list:Ignore'>·<span\nstyle='font:7.0pt \"Times New Roman\"'>"
            "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;\n</span></span></span><![endif]>"
            f"<span style='mso-fareast-language:DE'>{text}<o:p></o:p></span></p>\n\n")

def numbered(n, text, pos):
    cls = {"first": "MsoListParagraphCxSpFirst", "middle": "MsoListParagraphCxSpMiddle",
           "last": "MsoListParagraphCxSpLast"}[pos]
    return (f"<p class={cls} style='text-indent:-18.0pt;mso-list:l1 level1 lfo2'><![if !supportLists]><span\n"
            f"style='mso-bidi-font-family:Calibri;mso-bidi-theme-font:minor-latin;mso-fareast-language:\nDE'>"
            f"<span style='mso-list:Ignore'>{n}.<span style='font:7.0pt \"Times New Roman\"'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;\n"
            f"</span></span></span><![endif]><span style='mso-fareast-language:DE'>{text}<o:p></o:p></span></p>\n\n")

def cell(text, width, bold=False, first=False):
    inner = f"<b><span style='mso-fareast-language:DE'>{text}<o:p></o:p></span></b>" if bold else \
            f"<span style='mso-fareast-language:DE'>{text}<o:p></o:p></span>"
    border = ("border:solid windowtext 1.0pt;mso-border-alt:solid windowtext .5pt;" if first else
              "border:solid windowtext 1.0pt;border-left:none;mso-border-left-alt:solid windowtext .5pt;"
              "mso-border-alt:solid windowtext .5pt;")
    return (f"  <td width={width} valign=top style='width:{width * 0.75:.1f}pt;{border}\n"
            f"  padding:0cm 5.4pt 0cm 5.4pt'>\n"
            f"  <p class=MsoNormal style='margin-bottom:0cm;line-height:normal'>{inner}</p>\n  </td>\n")

def table(rows):
    out = ["<table class=MsoTableGrid border=1 cellspacing=0 cellpadding=0\n"
           " style='border-collapse:collapse;border:none;mso-border-alt:solid windowtext .5pt;\n"
           " mso-yfti-tbllook:1184;mso-padding-alt:0cm 5.4pt 0cm 5.4pt'>\n"]
    widths = [151, 302, 151]
    for i, row in enumerate(rows):
        out.append(f" <tr style='mso-yfti-irow:{i}" + (";mso-yfti-firstrow:yes" if i == 0 else "") +
                   (";mso-yfti-lastrow:yes" if i == len(rows) - 1 else "") + "'>\n")
        for j, text in enumerate(row):
            out.append(cell(text, widths[j], bold=(i == 0), first=(j == 0)))
        out.append(" </tr>\n")
    out.append("</table>\n\n")
    return "".join(out)

IMAGE = r'''<p class=MsoNormal align=center style='text-align:center'><span
style='mso-fareast-language:DE;mso-no-proof:yes'><!--[if gte vml 1]><v:shapetype
 id="_x0000_t75" coordsize="21600,21600" o:spt="75" o:preferrelative="t"
 path="m@4@5l@4@11@9@11@9@5xe" filled="f" stroked="f">
 <v:stroke joinstyle="miter"/>
 <v:formulas>
  <v:f eqn="if lineDrawn pixelLineWidth 0"/>
  <v:f eqn="sum @0 1 0"/>
  <v:f eqn="sum 0 0 @1"/>
  <v:f eqn="prod @2 1 2"/>
 </v:formulas>
 <v:path o:extrusionok="f" gradientshapeok="t" o:connecttype="rect"/>
 <o:lock v:ext="edit" aspectratio="t"/>
</v:shapetype><v:shape id="Grafik_x0020_1" o:spid="_x0000_i1025" type="#_x0000_t75"
 alt="Lageplan der Parzellen" style='width:240pt;height:150pt;visibility:visible;
 mso-wrap-style:square'>
 <v:imagedata src="rundschreiben-Dateien/image001.png" o:title=""/>
</v:shape><![endif]--><![if !vml]><img width=320 height=200
src="rundschreiben-Dateien/image002.png" alt="Lageplan der Parzellen" v:shapes="Grafik_x0020_1"><![endif]></span><span
style='mso-fareast-language:DE'><o:p></o:p></span></p>

'''

SECTIONS = [
    ("Liebe Gartenfreundinnen und Gartenfreunde,", [
        "der Frühling steht vor der Tür, und mit ihm beginnt für unseren Verein wieder die arbeitsreichste Zeit "
        "des Jahres. In diesem Rundschreiben fassen wir zusammen, was der Vorstand in seinen Sitzungen im Januar "
        "und Februar beschlossen hat, welche Termine Sie sich schon jetzt vormerken sollten und worauf wir bei "
        "der Bewirtschaftung der Parzellen in dieser Saison besonders achten möchten.",
        "Bitte lesen Sie das Schreiben vollständig durch und geben Sie es an die Mitnutzerinnen und Mitnutzer "
        "Ihrer Parzelle weiter. Rückfragen beantworten wir gern in der Sprechstunde am ersten Samstag jedes "
        "Monats von 10 bis 12 Uhr im Vereinsheim oder per Brief an die Geschäftsstelle.",
    ]),
    ("1. Termine der Saison", [
        "Die folgenden Termine hat der Vorstand festgelegt. Die Gemeinschaftsarbeit ist für alle Pächterinnen "
        "und Pächter verpflichtend; wer verhindert ist, meldet sich bitte spätestens eine Woche vorher ab und "
        "vereinbart einen Ersatztermin mit der Obfrau für die Gemeinschaftsflächen.",
    ]),
    ("2. Wasser und Strom", [
        "Die Wasserleitungen werden am Samstag vor Ostern wieder in Betrieb genommen. Bis dahin bleiben alle "
        "Absperrhähne in den Parzellen geschlossen. Prüfen Sie bitte vor dem Öffnen, ob Ihre Leitungen den "
        "Winter ohne Frostschäden überstanden haben; undichte Stellen melden Sie bitte sofort dem Wasserwart.",
        "Die Zählerstände werden zum Saisonende am letzten Samstag im Oktober abgelesen. Die Abrechnung erfolgt "
        "wie im Vorjahr über die Jahresrechnung. Der Preis je Kubikmeter bleibt unverändert, beim Strom gibt "
        "der Versorger eine Erhöhung um 2,1 Cent je Kilowattstunde weiter.",
    ]),
    ("3. Hinweise zur Bewirtschaftung", [
        "Nach der Gartenordnung soll mindestens ein Drittel jeder Parzelle dem Anbau von Obst und Gemüse "
        "dienen. Bei der Begehung im vergangenen Herbst ist uns aufgefallen, dass einige Gärten diese Vorgabe "
        "nicht mehr erfüllen. Wir bitten die betroffenen Pächterinnen und Pächter, bis zur Begehung im Juni "
        "entsprechende Beete anzulegen.",
    ]),
    ("4. Kassenbericht in Kürze", [
        "Der ausführliche Kassenbericht liegt zur Mitgliederversammlung aus. Hier die wichtigsten Zahlen des "
        "vergangenen Jahres im Überblick:",
    ]),
    ("5. Mitgliederversammlung", [
        "Die ordentliche Mitgliederversammlung findet am Freitag, dem 24. April, um 19 Uhr im Vereinsheim statt. "
        "Die Tagesordnung mit allen Anträgen geht Ihnen fristgerecht zu. Anträge zur Tagesordnung reichen Sie "
        "bitte bis zum 3. April schriftlich bei der Geschäftsstelle ein.",
        "Zur Wahl stehen in diesem Jahr die Ämter der Kassiererin oder des Kassierers und der beiden "
        "Beisitzenden. Wer sich für eines dieser Ämter interessiert, ist herzlich eingeladen, vorab mit dem "
        "Vorstand zu sprechen.",
    ]),
]

TERMINE = [
    "Samstag, 4. April, 9 Uhr: Frühjahrsputz der Gemeinschaftsflächen",
    "Samstag, 11. April: Inbetriebnahme der Wasserleitungen",
    "Freitag, 24. April, 19 Uhr: Mitgliederversammlung im Vereinsheim",
    "Samstag, 13. Juni: Gartenbegehung durch den Vorstand",
    "Sonntag, 23. August, ab 14 Uhr: Sommerfest mit Kuchenbuffet",
    "Samstag, 31. Oktober: Ablesung der Zähler und Wasser abstellen",
]

REGELN = [
    "Grünschnitt gehört auf den Kompost der eigenen Parzelle oder in den Container am Haupttor, nicht an den Zaun.",
    "Das Verbrennen von Gartenabfällen ist im gesamten Gelände verboten.",
    "Mittagsruhe gilt werktags von 13 bis 15 Uhr; laute Maschinen bleiben in dieser Zeit aus.",
    "Hecken zu den Wegen werden bis Ende Juni auf höchstens 1,25 m Höhe geschnitten.",
    "Regenwasser zu sammeln ist ausdrücklich erwünscht; Tonnen bitte mit einem Deckel sichern.",
]

KASSE = [
    ("Posten", "Beschreibung", "Betrag"),
    ("Einnahmen", "Pacht, Mitgliedsbeiträge und Umlagen", "41.380,00 €"),
    ("Ausgaben", "Pacht an die Stadt, Versicherungen, Wasser und Strom", "36.912,45 €"),
    ("Rücklage", "Erneuerung der Hauptwasserleitung", "3.000,00 €"),
    ("Überschuss", "Vortrag auf das neue Jahr", "1.467,55 €"),
]

def build():
    out = [HEAD]
    out.append(f"<p class=MsoNormal align=right style='text-align:right'><span style='mso-fareast-language:DE'>"
               f"Lindenhof, im März<o:p></o:p></span></p>\n\n")
    out.append(heading(1, "Rundschreiben Frühjahr", "_Toc1"))
    out.append(empty_para())
    for i, (title, paras) in enumerate(SECTIONS):
        if i == 0:
            out.append(para(f"<b style='mso-bidi-font-weight:normal'>{title}</b>"))
        else:
            out.append(heading(2, title, f"_Toc{i + 1}"))
        for p in paras:
            out.append(para(p))
        if i == 1:
            for j, t in enumerate(TERMINE):
                out.append(bullet(t, "first" if j == 0 else "last" if j == len(TERMINE) - 1 else "middle"))
        if i == 2:
            out.append(para("Die <span class=SpellE>Absperrhähne</span> finden Sie im Schacht neben dem "
                            "Gartenhaus. <b><span style='mso-bidi-font-weight:normal;font-weight:normal'>Bitte "
                            "nicht</span></b> mit Gewalt öffnen!"))
        if i == 3:
            for j, t in enumerate(REGELN):
                out.append(numbered(j + 1, t, "first" if j == 0 else "last" if j == len(REGELN) - 1 else "middle"))
            out.append(IMAGE)
        if i == 4:
            out.append(table(KASSE))
            out.append(empty_para())
    out.append(para("Mit freundlichen Grüßen"))
    out.append(para("<i style='mso-bidi-font-style:normal'>Ihr Vorstand</i>"))
    out.append(empty_para())
    out.append("<p class=MsoNormal><span style='font-size:9.0pt;line-height:107%;color:#7F7F7F;"
               "mso-themecolor:text1;mso-themetint:128;mso-fareast-language:DE'>Gartenverein Lindenhof e.&nbsp;V. "
               "· Am Lindenhof 3 · Geschäftsstelle montags 17–19 Uhr<o:p></o:p></span></p>\n\n")
    out.append("</div>\n\n</body>\n\n</html>\n")
    text = "".join(out)
    # The word processor saves Windows-1252 bytes with CR LF line ends.
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")

if __name__ == "__main__":
    target = pathlib.Path(__file__).resolve().parent.parent / "resources" / "samples" / "rundschreiben.htm"
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(build())
    print(target, len(build()))
