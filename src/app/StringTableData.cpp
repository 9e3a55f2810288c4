// The string table: every translatable text in German (base 0), English (base 10000) and
// French (base 20000), keyed by text id = base + message id. UTF-8.
#include "app/StringTable.h"

namespace calvix {

const std::vector<StringTableEntry>& StringTableEntries() {
    // id, German, English, French
    static const std::vector<StringTableEntry> entries = {
        {1, // MBoxTitleError
         "Fehler",
         "Error",
         "Erreur"},
        {2, // MBoxTitleHint
         "Hinweis",
         "Hint",
         "Astuce"},
        {3, // MsgUnspecError
         "Ein unspezifizierter Fehler ist passiert!",
         "An unspecified error has been occured!",
         "Une erreur inconnue est survenue!"},
        {4, // MsgInsertPaper
         "Papier einlegen!",
         "Insert paper!",
         "Insérez un document!"},
        {5, // MsgErrSendingLUT
         "Fehler beim Senden der LUT zum Scanner!",
         "Error while sending LUT to scanner!",
         "Erreur à la transmission LUT vers le scanner!"},
        {6, // MsgErrDetectIT8Fields
         "Automatische Detektierung der IT8 Farbfelder nicht erfolgreich!\n * Ist der Scanner gut justiert?\n * War das IT8 Target richtig eingelegt?\n",
         "Automatic detection of IT8 color fields failed!\n * Is the scanner properly adjusted?\n * Is the IT8 chart properly inserted?\n",
         "La détection automatique des couleurs de la mire IT8 a échoué!\n * Le scanner est-il calibré?\n * La mire IT8 a-t'elle été correctement introduite?\n"},
        {7, // MsgErrGreyWedge
         "Graukeil nicht gefunden! Orientierung der IT8 Karte prüfen!\n * Ist der Scanner ordnungsgemäß justiert?\n",
         "Grey wedge not found! Check orientation of IT8 chart! \n * Is the scanner properly adjusted?\n",
         "Le repère Gris n'a pas été détecté! Vérifiez l'orientation de la mire \n * Le scanner est-il calibré?\n"},
        {8, // MBoxTitleRequest
         "Frage",
         "Request",
         "Demande"},
        {9, // MsgRequConnectAgain
         "Keine Verbindung zu Scanner! \n * Ist der Scanner eingeschaltet?\nNochmal verbinden?",
         "No connection to scanner!\n * Scanner powered? \nConnect again?",
         "Aucune connexion au scanner!\n * Le scanner est-il allumé? \nEssayer à nouveau?"},
        {10, // MsgErrWarmup
         "Fehler beim Scannen! \nScanner nicht bereit, z.B. Lampen Aufwärmen aktiv.\n",
         "An error occured during scan! \nScanner not ready, e.g. warming up lamps!\n",
         "Une erreur est survenue en cours de numérisation! \nLe scanner n'est pas prêt, par ex. si les lampes sont en préchauffage!\n"},
        {11, // MsgErrBitDepth
         "Schwerwiegender Fehler beim Scannen! \nBittiefen Konvertierung gescheitert, verständigen sie bitte die Zelmar GmbH!\n",
         "An error occured during scan! \nBit depth conversion failed, please consult Zelmar GmbH!\n",
         "Une erreur est survenue en cours de numérisation! \nLa conversion de profondeur de Bit a échoué, consultez le support Zelmar!\n"},
        {12, // MsgErrParsingIT8
         "Fehler bei der Verarbeitung der IT8 Referenzdatei! \nbitte verständigen Sie die Zelmar GmbH und stellen eine Kopie dieser Datei zur Verfügung!\n",
         "Error reading IT8 reference file! \nPlease consult Zelmar GmbH and provide a copy of this file!\n",
         "Erreur à la lecture du fichier IT8 référence! \nConsulter le support Zelmar en fournissant une copie de ce fichier!\n"},
        {13, // LblFinish
         "Schließen",
         "Finish",
         "Terminer"},
        {14, // MsgServiceInUse
         "Die Service- Schnittstelle ist belegt! Start von Calvix ist nicht möglich.\nBitte beenden Sie andere Serviceprogramme (z.B. Helvane) und \nversuchen Sie es erneut! \nCalvix wird jetzt beendet ...",
         "The Service- Interface is in use! Starting of Calvix is not possible.\nPlease shut down other service applications (e.g. Helvane) and\ntry once more!\nCalvix is shutting down now ...\n",
         "L'interface Service est ouverte! Impossible de démarrer le Calvix.\nVeuillez éteindre les autres applications service (ex. Helvane) et\nréessayez!\n Le Calvix va être fermé ...\n"},
        {40, // MsgErrCornersCheck
         "Die Ecken umrahmen die IT8 Karte nicht, die Prüfung der Karte ist gescheitert: nichts wurde gespeichert!\n * Setzen Sie die vier Ecken des schwarzen Rahmens neu!\n",
         "The corners do not frame the IT8 chart, the chart check failed: nothing was stored!\n * Set the four corners of the black frame again!\n",
         "Les coins n'encadrent pas la mire IT8, le contrôle de la mire a échoué: rien n'a été enregistré!\n * Placez à nouveau les quatre coins du cadre noir!\n"},
        {1000, // LabelFormTitleAssitant
         "Kalibrier-Assistent",
         "Calibration-Assistant",
         "Assistant de calibrage"},
        {1001, // ButtonAbort
         "Abbrechen",
         "Abort",
         "Annuler"},
        {1002, // ButtonBack
         "< Zurück",
         "< Previous",
         "< Précédent"},
        {1003, // ButtonNext
         "Weiter >",
         "Next >",
         "Suivant >"},
        {1004, // ButtonHelp
         "Hilfe",
         "Help",
         "Aide"},
        {1010, // LabelTitel
         " Start",
         " Start",
         " Démarrer"},
        {1011, // LabelCalStart
         "Der Kalibriervorgang beginnt jetzt. Sie benötigen eine IT8 Karte und die zugehörige Referenzdatei. Selektieren Sie die entsprechende Datei!",
         "The calibration process starts right now. You need an IT8 target and the related reference file. Select the reference file!",
         "Le processus de calibrage va démarrer. Une mire IT8 et son fichier associé sont nécessaires. Sélectionnez le fichier de référence!"},
        {1012, // Label5
         "IT8 Referenz- Datei: ",
         "IT8 reference file: ",
         "Fichier IT8 de référence: "},
        {1013, // ButtonIT8Install
         "Installieren ...",
         "Install ...",
         "Installer..."},
        {1020, // Label8
         " Aufwärmen",
         " Scanner Warmup",
         " Préchauffage"},
        {1021, // LabelWarmup
         "Wegen des Temperatureinflusses auf die Helligkeit und Farbe müssen die Lampen erst aufwärmen!",
         "Due to some influence of lamp temperature to color and lightness the lamps have to warm up!",
         "En raison de l'influence de la température des lampes sur la couleur et la luminosité, un temps de préchauffage est nécessaire!"},
        {1022, // Label15
         "Sekunden verbleiben zum Aufwärmen",
         "seconds left to warmup",
         "secondes restantes"},
        {1030, // Label9
         " IT8 Frontseite",
         " Scan IT8 front",
         " Numérisation recto"},
        {1031, // LabelScan
         "Zentrieren Sie die Papierführung und stellen Sie sie auf die Größe der IT8 Karte ein. Legen Sie die IT8 Karte in den Scanner wie Sie sie betrachten würden. Dann drücken Sie den [Scan] Knopf!",
         "Now center the guiding and set it to the size of the IT8 chart. Put the IT8 chart into the scanner as you would view it. If you are ready press the [Scan] button!",
         "Veuillez centrer les guides et les adapter à la taille de la mire IT8. Positionnez la mire dans le sens de lecture (le votre). Pressez ensuite le bouton [Numériser]!"},
        {1032, // ButtonScanFront
         "Scan",
         "Scan",
         "Numériser"},
        {1040, // TitelIT8ScanRear
         " IT8 Rückseite",
         " Scan IT8 rear",
         " Numérisation verso"},
        {1041, // Label6
         "Nehmen Sie das IT8 Target wieder so als ob Sie es betrachten würden, drehen es horizontal und legen es wieder in den Scanner. Drücken Sie dann wieder den [Scan] Knopf!",
         "Now take the IT8 target again as you would view it, flip it around horizontally and put it back into the scanner. If you are ready press the [Scan] button again!",
         "Reprenez la mire IT8, selon votre sens de lecture, retournez-la sur l'autre face et repositionnez là en entrée de scan. Pressez à nouveau le bouton [Numériser]!"},
        {1042, // ButtonScanRear
         "Scan",
         "Scan",
         "Numériser"},
        {1050, // Label13
         " Vorgang beendet",
         " Process finished",
         " Processus terminé"},
        {1051, // Label14
         "Der Kalibriervorgang wurde erfolgreich durchgeführt. Sie müssen den Assistenten nun mit [Schließen] beenden. Der Scanner muss nicht neu gestartet werden.",
         "The calibration process finished. You must close this application now by pressing [Finish]. The scanner does not need to be restarted.",
         "Le processus de calibrage est terminé. Veuillez fermer l'application en pressant sur [Terminer]. Il n'est pas nécessaire de redémarrer le scanner."},
        {2100, // QualityTextCaption
         "Qualität",
         "Quality",
         "Qualité"},
        {2101, // QualityTextNoChart
         "Keine Karte in diesem Fenster gefunden",
         "No chart found in this window",
         "Aucune mire trouvée dans cette fenêtre"},
        {2102, // QualityTextFigure
         "Kennwert",
         "Figure",
         "Mesure"},
        {2103, // QualityTextValue
         "Wert",
         "Value",
         "Valeur"},
        {2104, // QualityTextLimitedBy
         "begrenzt durch",
         "limited by",
         "limité par"},
        {2105, // QualityTextDecodedAs
         "Gelesen als",
         "Decoded as",
         "Décodé en"},
        {2106, // QualityTextReferenceEncoding
         "Referenzkodierung der Kalibrierung",
         "calibration reference encoding",
         "codage de référence du calibrage"},
        {2107, // QualityTextSrgbDefaults
         "sRGB (eingebaute Standardwerte)",
         "sRGB (built-in defaults)",
         "sRGB (valeurs par défaut intégrées)"},
        {2108, // QualityTextAdaptedMatrix
         "angepasste Matrix",
         "adapted matrix",
         "matrice adaptée"},
        {2109, // QualityTextPlainMatrix
         "einfache Matrix",
         "plain matrix",
         "matrice simple"},
        {2110, // QualityTextNotMet
         "nicht erreicht",
         "not met",
         "non atteint"},
        {2111, // QualityTextNothingGraded
         "nichts bewertet",
         "nothing graded",
         "rien d'évalué"},
        {2112, // QualityTextNoReference
         "ohne Referenzdatei",
         "no reference file",
         "sans référence"},
        {2113, // QualityTextTooStraight
         "Kante zu gerade",
         "edge too straight",
         "bord trop droit"},
        {2114, // QualityTextNotMeasured
         "nicht gemessen",
         "not measured",
         "non mesuré"},
        {2115, // QualityTextRefused
         "Nicht bewertet, die Prüfung der Karte weist sie zurück",
         "Not graded, the chart check refuses this chart",
         "Non évalué, le contrôle de la mire la refuse"},
        {2116, // QualityTextRefusedFrame
         "die Ecken umrahmen keine IT8 Karte (Geometrie des Rahmens).",
         "the corners do not frame an IT8 chart (geometry of the box).",
         "les coins n'encadrent pas une mire IT8 (géométrie du cadre)."},
        {2117, // QualityTextRefusedWedge
         "Graukeil nicht gefunden! Orientierung der IT8 Karte prüfen!",
         "grey wedge not found! Check orientation of IT8 chart!",
         "le repère gris n'a pas été détecté! Vérifiez l'orientation de la mire!"},
        {2118, // QualityTextMeasuredFrom
         "Gemessen",
         "Measured",
         "Mesuré"},
        {2119, // QualityTextRawScan
         "Rohscan, Tabellen des Scanners umgangen",
         "raw scan, the scanner's tables bypassed",
         "numérisation brute, tables du scanner contournées"},
        {2120, // QualityTextTone
         "Tonwert (max |ΔL*|)",
         "Tone (max |ΔL*|)",
         "Tonalité (max |ΔL*|)"},
        {2121, // QualityTextGainHighlights
         "Steigung, Lichter",
         "Gain, highlights",
         "Gain, hautes lumières"},
        {2122, // QualityTextGainOther
         "Steigung, übrige Graustufen",
         "Gain, other greys",
         "Gain, autres gris"},
        {2123, // QualityTextNoise
         "Rauschen (σ L*)",
         "Noise (σ L*)",
         "Bruit (σ L*)"},
        {2124, // QualityTextWhiteBalance
         "Weißabgleich (ΔE a*b*)",
         "White balance (ΔE a*b*)",
         "Balance des blancs (ΔE a*b*)"},
        {2125, // QualityTextColourMean
         "Farbe ΔE00 Mittel",
         "Colour ΔE00 mean",
         "Couleur ΔE00 moyen"},
        {2126, // QualityTextColourMax
         "Farbe ΔE00 max",
         "Colour ΔE00 max",
         "Couleur ΔE00 max"},
        {2127, // QualityTextColourP90
         "Farbe ΔE00 P90",
         "Colour ΔE00 p90",
         "Couleur ΔE00 P90"},
        {2128, // QualityTextSamplingRate
         "Abtastrate (ppi x/y)",
         "Sampling rate (ppi x/y)",
         "Résolution (ppi x/y)"},
        {2129, // QualityTextSamplingEfficiency
         "Abtasteffizienz, Luminanz (H/V)",
         "Sampling efficiency, luminance (H/V)",
         "Efficacité d'échant., luminance (H/V)"},
        {2130, // QualityTextMtf50
         "MTF50, Grün (H/V, Zyklen/px)",
         "MTF50, green (H/V, cy/px)",
         "MTF50, vert (H/V, cy/px)"},
        {2131, // QualityTextMtf10
         "MTF10, Luminanz (H/V, Zyklen/px)",
         "MTF10, luminance (H/V, cy/px)",
         "MTF10, luminance (H/V, cy/px)"},
        {2132, // QualityTextMisregistration
         "Farbversatz (R/B zu G)",
         "Registration (R/B vs G)",
         "Décalage des couleurs (R/B vs V)"},
        {2133, // QualityTextUniformity
         "Gleichmäßigkeit",
         "Uniformity",
         "Uniformité"},
        {2134, // QualityTextThroughTables
         "Scan durch die neuen Tabellen",
         "the scan through the new tables",
         "numérisation à travers les nouvelles tables"},
        {2135, // QualityTextLoadedFile
         "die Datei, wie geladen",
         "the file as loaded",
         "le fichier tel que chargé"},
        {2136, // QualityTextBeyondNyquist
         "MTF50 über der Nyquist-Grenze von 0,5 Zyklen/px: mehr, als die schräge Kante messen kann (Ecken prüfen); Abtasteffizienz nicht bewertet",
         "MTF50 above the Nyquist limit of 0.5 cy/px: beyond what the slanted edge can measure (check the corners); sampling efficiency not graded",
         "MTF50 au-delà de la limite de Nyquist de 0,5 cy/px: plus que le bord incliné ne peut mesurer (vérifiez les coins); efficacité d'échantillonnage non évaluée"},
        {2137, // QualityTextGamma
         "Gamma",
         "gamma",
         "gamma"},
        {2200, // MainTextMenuFile
         "&Datei",
         "&File",
         "&Fichier"},
        {2201, // MainTextOpen
         "Ö&ffnen...",
         "&Open...",
         "&Ouvrir..."},
        {2202, // MainTextClose
         "&Schließen",
         "&Close",
         "&Fermer"},
        {2203, // MainTextCalibrationAssistent
         "Kalibrier-Assistent ...",
         "Calibration Assistent ...",
         "Assistant de calibrage ..."},
        {2204, // MainTextQuit
         "&Beenden",
         "&Quit",
         "&Quitter"},
        {2205, // MainTextMenuView
         "&Ansicht",
         "&View",
         "&Affichage"},
        {2206, // MainTextToolBar
         "Werkzeugleiste",
         "Tool Bar",
         "Barre d'outils"},
        {2207, // MainTextStatusBar
         "Statusleiste",
         "Status Bar",
         "Barre d'état"},
        {2208, // MainTextMenuWindow
         "&Fenster",
         "&Window",
         "Fe&nêtre"},
        {2209, // MainTextCascade
         "ü&berlappend",
         "&overlap",
         "en &cascade"},
        {2210, // MainTextTileHorizontal
         "&horizontal anordnen",
         "tile &horizontal",
         "mosaïque &horizontale"},
        {2211, // MainTextTileVertical
         "&vertikal anordnen",
         "tile &vertical",
         "mosaïque &verticale"},
        {2212, // MainTextMenuHelp
         "&Hilfe",
         "&Help",
         "&Aide"},
        {2213, // MainTextContents
         "&Inhalt",
         "&Contents",
         "&Sommaire"},
        {2214, // MainTextAbout
         "Ü&ber ...",
         "&About ...",
         "À &propos ..."},
        {2215, // MainTextTabInfo
         "&Info",
         "&Info",
         "&Info"},
        {2216, // MainTextTabSettings
         "&Einstellungen",
         "&Settings",
         "&Réglages"},
        {2217, // MainTextTabZoom
         "&Zoom",
         "&Zoom",
         "&Zoom"},
        {2218, // MainTextTabIt8
         "&IT8 Karte",
         "&IT8 Chart",
         "Mire &IT8"},
        {2219, // MainTextSelectTwainSource
         "Twain-Quelle wählen ...",
         "Select Twain Source ...",
         "Choisir la source Twain ..."},
        {2220, // MainTextAcquire
         "Einlesen ...",
         "Acquire ...",
         "Acquérir ..."},
        {2300, // splash line
         "INI-Datei wird gelesen ...",
         "reading INI file ...",
         "lecture du fichier INI ..."},
        {2301, // splash line
         "  ... Protokoll eingeschaltet",
         "  ... logging switched on",
         "  ... journal activé"},
        {2302, // splash line
         "  ... Protokoll ausgeschaltet",
         "  ... logging switched off",
         "  ... journal désactivé"},
        {2303, // splash line
         "  ... Zeitstempel eingeschaltet",
         "  ... timestamp switched on",
         "  ... horodatage activé"},
        {2304, // splash line
         "  ... Zeitstempel ausgeschaltet",
         "  ... timestamp switched off",
         "  ... horodatage désactivé"},
        {2305, // splash line
         "TWAIN: Bibliothek gefunden!",
         "TWAIN: DLL found!",
         "TWAIN: bibliothèque trouvée!"},
        {2306, // splash line
         "TWAIN: Bibliothek kann nicht geöffnet werden!",
         "TWAIN: Failure while openening DLL!",
         "TWAIN: impossible d'ouvrir la bibliothèque!"},
        {2307, // splash line
         "TWAIN: Quellen-Manager geöffnet!",
         "TWAIN: DSM opened!",
         "TWAIN: gestionnaire de sources ouvert!"},
        {2308, // splash line
         "TWAIN: Quellen-Manager kann nicht geöffnet werden!",
         "TWAIN: Failure while opening DSM!",
         "TWAIN: impossible d'ouvrir le gestionnaire de sources!"},
        {2309, // splash line
         "TWAIN: Q71 verbunden! (Ser.-Nr. ",
         "TWAIN: Q71 connected! (Ser# ",
         "TWAIN: Q71 connecté! (n° de série "},
        {2310, // splash line
         "TWAIN: Q71 verbunden, seine Fähigkeiten sind nicht lesbar!",
         "TWAIN: Q71 connected, reading capabilities failed!",
         "TWAIN: Q71 connecté, lecture de ses capacités impossible!"},
        {2311, // splash line
         "TWAIN: Umwandlung der Bittiefe gescheitert!",
         "TWAIN: Conversion of Bit depth failed!",
         "TWAIN: la conversion de profondeur de bit a échoué!"},
        {2312, // splash line
         "TWAIN: Bild abgelehnt, ",
         "TWAIN: image refused, ",
         "TWAIN: image refusée, "},
        {2313, // splash line
         "Kalibriermodus kann nicht gesetzt werden!",
         "Cannot set calibration mode!",
         "Impossible d'activer le mode de calibrage!"},
        {2314, // splash line
         "Kalibriermodus nicht bestätigt: ",
         "Calibration mode not confirmed: ",
         "Mode de calibrage non confirmé: "},
        {2315, // splash line
         "Assistent: LED-Scanner, kein Aufwärmen nötig!",
         "Assistent LED scanner - no warmup!",
         "Assistant: scanner LED, pas de préchauffage!"},
        {2316, // splash line
         "Assistent: Aufwärmen beendet!",
         "Assistent warmup finished!",
         "Assistant: préchauffage terminé!"},
        {2317, // splash line
         "Assistent beendet! Das Programm wird beendet ...",
         "Assistent finished! Application is shutting down...",
         "Assistant terminé! Le programme va être fermé ..."},
        {2318, // splash line
         "Assistent: IT8 Referenzdatei gelesen und installiert!",
         "Assistent: IT8 reference file parsed and installed!",
         "Assistant: fichier IT8 de référence lu et installé!"},
        {2319, // splash line
         "Assistent: Abbruch, Lese- oder Dateifehler, IT8 Referenz nicht installiert!",
         "Assistent: Abort, parsing or file error, IT8 ref not installed!",
         "Assistant: abandon, erreur de lecture ou de fichier, référence IT8 non installée!"},
        {2320, // splash line
         "Assistent: IT8 Scan der Vorderseite ausgewertet, Kalibrierwerte berechnet!",
         "Assistent: IT8 scan front analyzed and calibration values calculated!",
         "Assistant: numérisation IT8 recto analysée, valeurs de calibrage calculées!"},
        {2321, // splash line
         "Assistent: IT8 Scan der Rückseite ausgewertet, Kalibrierwerte berechnet!",
         "Assistent: IT8 scan rear analyzed and calibration values calculated!",
         "Assistant: numérisation IT8 verso analysée, valeurs de calibrage calculées!"},
        {2322, // splash line
         "Geometrie des IT8 Rahmens wird geprüft ...",
         "geometry check of IT8 bounding box ...",
         "contrôle de la géométrie du cadre IT8 ..."},
        {2323, // splash line
         "  ... bestanden! Die Geometrie des Rahmens stimmt.",
         "  ...passed! Geometry of bounding box is ok.",
         "  ... réussi! La géométrie du cadre est correcte."},
        {2324, // splash line
         "  ... gescheitert (Breite oben und unten verschieden)!",
         "  ... failed (dx top != dx bottom)!",
         "  ... échoué (largeurs en haut et en bas différentes)!"},
        {2325, // splash line
         "Geometrie des IT8 Rahmens falsch (Höhe links und rechts verschieden)!",
         "geometry check of IT8 bounding box failed (dy left != dy right)!",
         "géométrie du cadre IT8 incorrecte (hauteurs à gauche et à droite différentes)!"},
        {2326, // splash line
         "Geometrie des IT8 Rahmens falsch (Ausrichtung)!",
         "geometry check of IT8 bounding box failed (orientation)!",
         "géométrie du cadre IT8 incorrecte (orientation)!"},
        {2327, // splash line
         "Ecken des Rahmens nicht gefunden!",
         "Corners of bounding box not found!",
         "Coins du cadre introuvables!"},
        {2328, // splash line
         "  ... Auswertung der IT8 Karte abgebrochen!",
         "  ... IT8 processing aborted!",
         "  ... analyse de la mire IT8 interrompue!"},
        {2329, // splash line
         "Graukeil des IT8 Scans wird geprüft ...",
         "checking grey wedge  of IT8 target scan ...",
         "contrôle du repère gris de la numérisation IT8 ..."},
        {2330, // splash line
         "  ... bestanden! Der Graukeil stimmt!",
         "  ...passed! Grey wedge is ok!",
         "  ... réussi! Le repère gris est correct!"},
        {2331, // splash line
         "  ... gescheitert! Im Zweifel den Zelmar Service fragen!",
         "  ...failed! In doubt consult Zelmar service!",
         "  ... échoué! En cas de doute, consultez le support Zelmar!"},
    };
    return entries;
}

}  // namespace calvix
