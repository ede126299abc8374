#!/usr/bin/env python3
"""Writes the resource script of a language pack from the plug-in's own korvane.rc.

A pack carries the same resources with the same identifiers; its texts are translated, its
version block names it a language pack ("Korvane LanguagePack", the language in Comments) and its
first translation pair gives its language. Texts without a translation stay English, so the pack
is always complete. The build runs it for every pack:
    make_pack.py SOURCE.rc OUTPUT.rc LANGUAGE
"""
import re
import sys

GERMAN = {
    # Menus of the tab strip.
    'IDS_CLOSE': 'Schließen',
    'IDS_SELECTED_FILE_CLOSE': 'Markierte Dateien schließen',
    'IDS_MENU_VIEW': '&Ansicht',
    'IDS_MENU_FAVORITES': '&Favoriten',
    'IDS_OPEN_ONLY_CURRENT': 'Nur aktuelle Zeichnung offen lassen',
    'IDS_SAVE_ALL': 'Alle speichern',
    'IDS_SAVE_ALL_TO_FOLDER': 'Alle in anderen Ordner speichern',
    'IDS_SAVE_CLOSE_ALL': 'Alle speichern und schließen',
    'IDS_NOSAVE_CLOSE_ALL': 'Alle ohne Speichern schließen',
    'IDS_FAVORITES_ADD': 'Zu Favoriten hinzufügen',
    'IDS_FAVORITES_REMOVE': 'Aus Favoriten entfernen',
    'IDS_FAVORITES_OPEN_ALL': 'Alle Favoriten öffnen',
    'IDS_FAVORITES_NEW_APPEND': 'Favoriten neu anlegen',
    'IDS_WINDOW_CASCADE': 'Über&lappend',
    'IDS_WINDOW_TILE_HORZ': '&Untereinander',
    'IDS_WINDOW_TILE_VERT': '&Nebeneinander',
    'IDS_WINDOW_ARRANGE_ICONS': 'Symbole an&ordnen',
    'IDS_SCRIPT': '&Skript...',
    'IDS_SORT_ASCENDING': 'Aufsteigend sortieren',
    'IDS_SORT_DESCENDING': 'Absteigend sortieren',
    'IDS_FIND_DOCUMENT': 'Zeichnung &suchen...',
    'IDS_CONFIG_SETTING': 'Einstellungen...',
    'IDS_MENU_SIMILAR': 'Ähnliche Zeichnungen',
    'IDS_MENU_USER_COMMAND': 'Eigene Befehle',
    'IDS_MENU_TEMPLATES': 'Vorlagen',
    'IDS_NEW_FROM_TEMPLATE': 'Neue Zeichnung aus Vorlage',
    'IDS_BATCH_SCRIPT': 'Stapelskript...',
    'IDS_MENU_LAYOUTS': 'Layout(s)',
    'IDS_LINK_FILE_OPEN': 'Verknüpfte Datei öffnen...',
    'IDS_SELECT_FOLDER': 'Ordner wählen',
    'IDS_MENU_DRAWING_HISTORY': 'Zuletzt geöffnet',
    'IDS_SAVE_CHANGES': 'Änderungen in %s speichern?',
    'IDS_APPLY_ALL': 'Für &alle',
    'IDS_OPEN_CONTAINING_FOLDER': 'Enthaltenden Ordner öffnen...',
    'IDS_OPEN_FROM_OTHER_HOST': 'In anderem AutoCAD öffnen',
    'IDS_MENU_LAYER_STATES': 'Gespeicherte Layerzustände',
    'IDS_SAVE_CLOSE_ALL_EXIT': 'Alle speichern und schließen - Beenden',
    'IDS_NOSAVE_CLOSE_ALL_EXIT': 'Alle ohne Speichern schließen - Beenden',
    'IDS_ASK_CLOSE_WITHOUT_SAVE': 'Die Zeichnungen werden ohne Speichern geschlossen. Fortfahren?\\\\n(Abschalten in den Einstellungen)',
    'IDS_LINK_FOLDER_OPEN': 'Verknüpften &Ordner öffnen...',
    'IDS_CHANGE_TO_LINK_TAB': 'In Verknüpfungsregister umwandeln',
    'IDS_COMBINE_DWG': 'Zeichnungen kombinieren',
    'IDS_MENU_WINDOW': '&Fenster',
    'IDS_LANGPACK_NOT_FOUND': 'Die Sprachdatei für die Sprache ""%s"" wurde nicht gefunden.',
    'IDS_COMMAND_RUNNING': 'In der aktuellen Zeichnung läuft ein Befehl; beenden Sie ihn zuerst.',
    'IDS_NO_DRAWINGS_MARKED': 'Keine Zeichnung ist markiert.',
    # Tooltip descriptions.
    'IDS_DESC_NO_SUMMARY': 'Diese Zeichnung enthält keine Dateiinformationen.',
    'IDS_DESC_NO_CUSTOM': 'Diese Zeichnung enthält keine benutzerdefinierten Dateiinformationen.',
}

# Literal texts in dialogs, by the text as it stands in the English script.
GERMAN_LITERALS = {
    '"Find"': '"Suchen"',
    '"File Name :"': '"Dateiname :"',
    '"(eq: ""a*.dwg"")"': '"(z.B. ""a*.dwg"")"',
    '"Cancel"': '"Abbrechen"',
    '"Yes"': '"Ja"',
    '"No"': '"Nein"',
    '"Apply &All"': '"Für &alle"',
    '"Approx Num Objects :"': '"Objekte (ca.) :"',
    '"Number Of Saves :"': '"Anzahl Speicherungen :"',
    '"Last Saved Version :"': '"Zuletzt gespeichert als :"',
    '"Original File Version :"': '"Ursprüngliche Version :"',
}


def pack(source, language_name, lang_id, sublang_id, translation_pair, strings, literals):
    text = open(source, encoding='utf-8').read()
    text = re.sub(r'^// Resources of the plug-in module \(English\).*$',
                  '// A language pack (%s), written by res/lang/make_pack.py from korvane.rc: edit the translations there.'
                  % language_name, text, count=1, flags=re.M)
    text = re.sub(r'^LANGUAGE .*$', 'LANGUAGE 0x%02x, 0x%02x' % (lang_id, sublang_id), text, count=1, flags=re.M)

    def string_line(m):
        name = m.group(1)
        if name in strings:
            return '    %-27s "%s"' % (name, strings[name])
        return m.group(0)
    text = re.sub(r'^    (IDS_\w+)\s+"(?:[^"]|"")*"', string_line, text, flags=re.M)

    start = text.index('STRINGTABLE')
    end = text.index('END', start)
    head, table, tail = text[:start], text[start:end], text[end:]
    for english, translated in literals.items():
        tail = tail.replace(english, translated)
    text = head + table + tail

    text = text.replace('VALUE "ProductName",      "Korvane"', 'VALUE "ProductName",      "Korvane LanguagePack"')
    text = text.replace('VALUE "Comments",         "English"', 'VALUE "Comments",         "%s"' % language_name)
    text = text.replace('VALUE "OriginalFilename", "Korvane.arx"', 'VALUE "OriginalFilename", "Korvane%s.dll"' % language_name[:2])
    text = text.replace('BLOCK "040904b0"', 'BLOCK "%04x04b0"' % translation_pair)
    text = text.replace('VALUE "Translation", 0x0409, 1200', 'VALUE "Translation", 0x%04x, 1200' % translation_pair)
    return text


PACKS = {
    'German': (0x07, 0x01, 0x0407, GERMAN, GERMAN_LITERALS),
}


def main():
    source, output, language = sys.argv[1:4]
    lang, sublang, pair, strings, literals = PACKS[language]
    text = pack(source, language, lang, sublang, pair, strings, literals)
    with open(output, 'w', encoding='utf-8') as f:
        f.write(text)


if __name__ == '__main__':
    main()
