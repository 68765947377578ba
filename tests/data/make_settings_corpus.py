#!/usr/bin/env python3
"""Writes the corpus of damaged and hand-edited settings files under settings/.

Each variant is a file settings/<name>.xml and one row of settings/expected.txt
saying what a start of the program on it must show and do to the file:

    name <TAB> boxes <TAB> file afterwards [<TAB> message <TAB> line <TAB> column]

boxes is "none", "info" (the three Info boxes of a file with Key_Log 1) or
"error" (the "Error in the XML file" report with expat's message, line and
column). The file afterwards is "untouched", "recreated" (an empty file is
replaced by a fresh one) or "rewritten" (the start page "Options" is reset to
"Main"); a rewritten file must equal settings/after/<name>.xml byte for byte.

The error columns come from expat itself (Python's pyexpat over the system's
libexpat), fed the way the program feeds it: encoding fixed to UTF-8, 16 KiB
chunks, no parameter entities. Every variant also states whether it should
parse at all; the script stops when expat disagrees, so that a variant cannot
silently turn into a different case. Run it again after changing a variant
and commit its output; the integration test settings_corpus_test reads it.
"""

import os
import shutil
import sys
import xml.parsers.expat as expat

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "settings")
DATE = "06/12/2026"  # the headless platform's date
CHUNK = 16384

DECL = '<?xml version="1.0" encoding="UTF-8"?>'


def default_groups():
    return [
        ("HKey_Application", [
            ("Key_Name", "Zelluo"),
            ("Key_Version", "1.0.0.0"),
            ("Key_Create", DATE),
            ("Key_Update", DATE),
            ("Key_StartPage", "Main"),
        ]),
        ("HKey_Options", [
            ("Key_StartTray", "0"),
            ("Key_StartMinimize", "0"),
            ("Key_AutoUpdate", "0"),
            ("Key_Language", "German"),
            ("Key_Theme", "Default"),
            ("Key_Log", "0"),
            ("Key_Fadeout", "0"),
            ("Key_IgnoreRes", "0"),
            ("Key_Sound", "1"),
        ]),
        ("HKey_Designs", [
            ("Key_Default", "1"),
            ("Key_Blue", "0"),
            ("Key_Green", "0"),
            ("Key_Violet", "0"),
            ("Key_Red", "0"),
        ]),
    ]


def groups_with(**values):
    """The default tree with some values changed, by key name."""
    groups = default_groups()
    for name, keys in groups:
        for i, (key, _) in enumerate(keys):
            if key in values:
                keys[i] = (key, values.pop(key))
    assert not values, values
    return groups


def key_line(key, value):
    return f'<{key} Value="{value}"/>'


def created(groups=None, eol="\r\n", decl=DECL):
    """A file as the program creates it: every element on its own line."""
    groups = default_groups() if groups is None else groups
    lines = [decl, "", "<Root>"]
    for name, keys in groups:
        lines.append(f"  <{name}>")
        lines += ["    " + key_line(k, v) for k, v in keys]
        lines.append(f"  </{name}>")
    lines.append("</Root>")
    return eol.join(lines) + eol


def rewritten(groups=None, eol="\r\n", decl=DECL, trailing=" "):
    """A file after its first rewrite. The whitespace reduction keeps one blank
    (the first character of the end tag's indentation) behind the last key of a
    group with an odd number of keys, and drops the line break after Root. An
    element at the top level (Root) always gets an empty line in front of it,
    also after a document-type declaration."""
    groups = default_groups() if groups is None else groups
    lines = [decl, "", "<Root>"]
    for name, keys in groups:
        lines.append(f"  <{name}>")
        lines += ["    " + key_line(k, v) for k, v in keys]
        if len(keys) % 2 == 1:
            lines[-1] += trailing
        lines.append(f"  </{name}>")
    lines.append("</Root>")
    return eol.join(lines)


def replace_once(text, old, new):
    assert text.count(old) == 1, (old, text.count(old))
    return text.replace(old, new)


def cut_after(text, marker, extra=0):
    """text up to the end of the first occurrence of marker, plus extra chars."""
    at = text.index(marker) + len(marker) + extra
    return text[:at]


def cut_before(text, marker, extra=0):
    return text[: text.index(marker) + extra]


def expat_result(data):
    """(status code, line, column + 1) as the program's document reports them."""
    parser = expat.ParserCreate("UTF-8")
    parser.SetParamEntityParsing(expat.XML_PARAM_ENTITY_PARSING_NEVER)
    parser.DefaultHandlerExpand = lambda _data: None
    try:
        for pos in range(0, len(data), CHUNK):
            parser.Parse(data[pos:pos + CHUNK], pos + CHUNK >= len(data))
    except expat.ExpatError as error:
        return error.code, error.lineno, error.offset + 1
    return 0, 0, 0


def error_text(code):
    # The program reports expat's messages for codes 1 to 40 only.
    return expat.ErrorString(code) if 1 <= code <= 40 else ""


class Corpus:
    def __init__(self):
        self.rows = []
        self.files = {}
        self.after = {}

    def add(self, name, data, boxes, after="untouched", expected_after=None):
        """boxes: "none", "info" or "error"; after: "untouched", "recreated" or
        "rewritten" (then expected_after holds the bytes)."""
        if isinstance(data, str):
            data = data.encode("utf-8")
        if isinstance(expected_after, str):
            expected_after = expected_after.encode("utf-8")
        assert name not in self.files, name
        assert (after == "rewritten") == (expected_after is not None), name
        code, line, column = expat_result(data) if data else (0, 0, 0)
        if (code != 0) != (boxes == "error"):
            sys.exit(f"{name}: expat says {code} ({expat.ErrorString(code)}), "
                     f"the variant expects {boxes}")
        row = [name + ".xml", boxes, after]
        if boxes == "error":
            row += [error_text(code), str(line), str(column)]
        self.rows.append(row)
        self.files[name + ".xml"] = data
        if expected_after is not None:
            self.after[name + ".xml"] = expected_after

    def write(self):
        if os.path.isdir(OUT):
            shutil.rmtree(OUT)
        os.makedirs(os.path.join(OUT, "after"))
        for name, data in self.files.items():
            with open(os.path.join(OUT, name), "wb") as f:
                f.write(data)
        for name, data in self.after.items():
            with open(os.path.join(OUT, "after", name), "wb") as f:
                f.write(data)
        with open(os.path.join(OUT, "expected.txt"), "w", encoding="utf-8", newline="\n") as f:
            f.write("# Written by ../make_settings_corpus.py; see there for the columns.\n")
            f.write("# file\tboxes\tafterwards\tmessage\tline\tcolumn\n")
            for row in self.rows:
                f.write("\t".join(row) + "\n")


def build():
    c = Corpus()
    base = created()
    logged = created(groups_with(Key_Log="1"))
    options = created(groups_with(Key_StartPage="Options"))
    reset = rewritten()

    # --- files the program wrote, as reference points ---
    c.add("created", base, "none")
    c.add("rewritten", reset, "none")
    c.add("log-on", logged, "info")
    c.add("empty", b"", "none", "recreated")
    c.add("startpage-options", options, "none", "rewritten", reset)
    c.add("startpage-options-rewritten-form",
          rewritten(groups_with(Key_StartPage="Options")), "none", "rewritten", reset)
    c.add("startpage-options-log-on",
          created(groups_with(Key_StartPage="Options", Key_Log="1")), "info", "rewritten",
          rewritten(groups_with(Key_Log="1")))
    # Only the exact text "Options" is the Options page.
    c.add("startpage-options-lower-case", created(groups_with(Key_StartPage="options")), "none")
    c.add("startpage-options-with-blank", created(groups_with(Key_StartPage="Options ")),
          "none")

    # --- truncated at every kind of place ---
    c.add("truncated-one-byte", "<", "error")
    c.add("truncated-in-declaration", cut_after(base, "encoding="), "error")
    c.add("truncated-after-declaration", cut_after(base, "?>\r\n\r\n"), "error")
    c.add("truncated-in-root-start-tag", cut_after(base, "<Ro"), "error")
    c.add("truncated-in-element-name", cut_after(base, "<HKey_Opt"), "error")
    c.add("truncated-in-attribute-name", cut_after(base, "<Key_Log Val"), "error")
    c.add("truncated-after-equals", cut_after(base, "<Key_Log Value="), "error")
    c.add("truncated-in-attribute-value", cut_after(base, '<Key_Log Value="'), "error")
    c.add("truncated-before-empty-tag-close", cut_after(base, '<Key_Log Value="0"'), "error")
    c.add("truncated-between-slash-and-bracket", cut_after(base, '<Key_Log Value="0"/'),
          "error")
    c.add("truncated-after-complete-key", cut_after(base, '<Key_Log Value="0"/>'), "error")
    c.add("truncated-in-end-tag", cut_after(base, "</HKey_Options"), "error")
    c.add("truncated-before-root-end-tag", cut_before(base, "</Root>"), "error")
    c.add("truncated-in-root-end-tag", cut_after(base, "</Ro"), "error")
    c.add("truncated-in-comment",
          cut_after(replace_once(base, "  <HKey_Designs>", "  <!-- Designs -->\r\n  <HKey_Designs>"),
                    "<!-- Des"), "error")
    c.add("truncated-in-cdata",
          cut_after(replace_once(base, "</Root>", "<![CDATA[Notiz]]></Root>"), "<![CDATA[No"),
          "error")
    name_u = created(groups_with(Key_Name="Zellüo")).encode("utf-8")
    c.add("truncated-in-utf8-sequence", name_u[: name_u.index("ü".encode()) + 1], "error")
    c.add("truncated-after-cr-of-crlf", cut_after(base, "</HKey_Designs>\r"), "error")

    # --- bytes that are not UTF-8, byte-order marks, UTF-16 ---
    c.add("latin1-byte-in-value",
          created(groups_with(Key_Name="Zell@o")).encode().replace(b"@", b"\xfc"), "error")
    c.add("latin1-declared-and-used",
          created(groups_with(Key_Name="Zell@o"),
                  decl='<?xml version="1.0" encoding="ISO-8859-1"?>').encode().replace(
                      b"@", b"\xfc"), "error")
    c.add("invalid-utf8-lead-bytes",
          base.encode().replace(b"<HKey_Designs>", b"<HKey_Designs>\xff\xfe\xc0\xaf"), "error")
    c.add("overlong-utf8-slash", base.encode().replace(b"Main", b"Ma\xc0\xafn"), "error")
    c.add("nul-byte-in-value", base.encode().replace(b"1.0.0.0", b"1.0\x000.0"), "error")
    c.add("control-character-in-value", base.replace("1.0.0.0", "1.0\x010.0"), "error")
    c.add("utf8-bom", b"\xef\xbb\xbf" + logged.encode(), "info")
    c.add("utf8-bom-startpage-options", b"\xef\xbb\xbf" + options.encode(), "none", "rewritten",
          reset)
    utf16 = logged.replace('encoding="UTF-8"', 'encoding="UTF-16"')
    c.add("utf16le-bom", b"\xff\xfe" + utf16.encode("utf-16-le"), "info")
    c.add("utf16be-bom", b"\xfe\xff" + utf16.encode("utf-16-be"), "info")
    c.add("utf16le-no-bom", utf16.encode("utf-16-le"), "info")
    c.add("utf16le-bom-startpage-options",
          b"\xff\xfe" + options.replace('encoding="UTF-8"', 'encoding="UTF-16"').encode(
              "utf-16-le"), "none", "rewritten", reset)
    c.add("utf16-declared-in-utf8-file", utf16, "info")
    c.add("umlauts-and-escapes",
          created(groups_with(Key_Name="Zellüo &amp; &lt;Filme&gt; &quot;A&apos;",
                              Key_StartPage="Options")), "none", "rewritten",
          rewritten(groups_with(Key_Name="Zellüo &amp; &lt;Filme&gt; &quot;A&apos;")))
    c.add("raw-greater-than-and-single-quotes",
          replace_once(options, 'Value="Zelluo"', "Value='Zel>luo'"), "none", "rewritten",
          rewritten(groups_with(Key_Name="Zel&gt;luo")))

    # --- line ends, tabs, layout ---
    c.add("lf", created(groups_with(Key_Log="1"), eol="\n"), "info")
    c.add("cr", created(groups_with(Key_Log="1"), eol="\r"), "info")
    c.add("lf-startpage-options", created(groups_with(Key_StartPage="Options"), eol="\n"),
          "none", "rewritten", rewritten(eol="\n"))
    c.add("cr-startpage-options", created(groups_with(Key_StartPage="Options"), eol="\r"),
          "none", "rewritten", rewritten(eol="\r"))
    c.add("mixed-line-ends", logged.replace("\r\n", "\n", 10).replace("\r\n", "\r", 5), "info")
    c.add("tabs", logged.replace("    <", "\t\t<").replace("  <", "\t<"), "info")
    c.add("tabs-startpage-options", options.replace("    <", "\t\t<").replace("  <", "\t<"),
          "none", "rewritten", rewritten(trailing="\t"))
    one_line = options.replace("\r\n", "").replace("  ", "")
    c.add("one-line-startpage-options", one_line, "none", "rewritten", created())
    c.add("leading-line-feed", "\n" + logged, "error")
    c.add("leading-blank-line-without-declaration",
          "\r\n" + logged.replace(DECL + "\r\n", ""), "info")
    c.add("no-declaration", logged.replace(DECL + "\r\n\r\n", ""), "info")
    c.add("standalone-yes-startpage-options",
          created(groups_with(Key_StartPage="Options"),
                  decl='<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'),
          "none", "rewritten",
          rewritten(decl='<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'))
    c.add("whitespace-only", " \r\n\t\r\n", "error")
    c.add("declaration-only", DECL + "\r\n", "error")

    # --- comments and processing instructions between keys ---
    # Groups and keys are found by position, and comments count as positions.
    c.add("comment-before-root", replace_once(logged, "<Root>", "<!-- Zelluo -->\r\n<Root>"),
          "info")
    c.add("pi-before-root", replace_once(logged, "<Root>", "<?zelluo hallo?>\r\n<Root>"), "info")
    c.add("comment-after-last-option",
          replace_once(logged, '"1"/>\r\n  </HKey_Options>',
                       '"1"/>\r\n    <!-- Ende -->\r\n  </HKey_Options>'), "info")
    # The comment takes position 1, so position 6 is Key_Theme ("Default"): Log stays 0.
    c.add("comment-shifts-log",
          replace_once(logged, "<HKey_Options>", "<HKey_Options>\r\n    <!-- Optionen -->"),
          "none")
    c.add("pi-shifts-log",
          replace_once(logged, "<HKey_Options>", "<HKey_Options>\r\n    <?note Optionen?>"),
          "none")
    # A comment in front of the first group makes it group 2: no Log key any more.
    c.add("comment-before-first-group",
          replace_once(logged, "<Root>", "<Root>\r\n  <!-- Anwendung -->"), "none")
    c.add("cdata-between-keys",
          replace_once(logged, "<HKey_Designs>", "<HKey_Designs><![CDATA[ <Key_X/> ]]>"),
          "info")
    c.add("comment-with-markup",
          replace_once(logged, "</Root>", "<!-- <Root><Key_Log Value=\"0\"/> -->\r\n</Root>"),
          "info")
    c.add("double-hyphen-in-comment",
          replace_once(logged, "</Root>", "<!-- a -- b -->\r\n</Root>"), "error")
    c.add("pi-named-xml-inside", replace_once(logged, "</Root>", "<?xml x?>\r\n</Root>"),
          "error")

    # --- keys and groups renamed, missing or added ---
    renamed = logged
    for old, new in (("Key_Log", "Protokoll"), ("Key_Name", "Name"), ("HKey_Options", "Optionen"),
                     ("Root", "Wurzel")):
        renamed = renamed.replace(old, new)
    c.add("keys-and-groups-renamed", renamed, "info")
    # Without Key_Log, position 6 is Key_Fadeout.
    c.add("log-key-missing-fadeout-on",
          replace_once(created(groups_with(Key_Fadeout="1")), '    <Key_Log Value="0"/>\r\n', ""),
          "info")
    c.add("options-group-missing",
          cut_before(logged, "  <HKey_Options>") + logged[logged.index("  <HKey_Designs>"):],
          "none")
    c.add("designs-group-missing",
          cut_before(logged, "  <HKey_Designs>") + "</Root>\r\n", "info")
    c.add("root-empty", DECL + "\r\n\r\n<Root/>\r\n", "none")
    c.add("groups-empty",
          DECL + "\r\n\r\n<Root>\r\n  <HKey_Application/>\r\n  <HKey_Options/>\r\n"
          "  <HKey_Designs/>\r\n</Root>\r\n", "none")
    c.add("extra-keys-and-group",
          replace_once(logged, "</Root>", "  <HKey_Extra>\r\n    <Key_X Value=\"1\"/>\r\n"
                       "  </HKey_Extra>\r\n</Root>").replace(
              '<Key_Sound Value="1"/>', '<Key_Sound Value="1"/>\r\n    <Key_Mehr Value="x"/>'),
          "info")
    # A key inserted at position 5 of the first group is taken for the start page.
    inserted = groups_with(Key_Log="1")
    inserted[0][1].insert(4, ("Key_Eingefuegt", "Options"))
    after_insert = groups_with(Key_Log="1")
    after_insert[0][1].insert(4, ("Key_Eingefuegt", "Main"))
    c.add("key-inserted-before-startpage", created(inserted), "info", "rewritten",
          rewritten(after_insert))
    # Only four keys in the first group: no start page is read, nothing is reset.
    short = groups_with(Key_Log="1")
    del short[0][1][4]
    c.add("startpage-key-missing", created(short), "info")

    # --- attributes ---
    c.add("value-attribute-missing", replace_once(logged, '<Key_Log Value="1"/>', "<Key_Log/>"),
          "none")
    c.add("value-attribute-lower-case",
          replace_once(logged, '<Key_Log Value="1"/>', '<Key_Log value="1"/>'), "none")
    c.add("other-attribute-instead-of-value",
          replace_once(logged, '<Key_Log Value="1"/>', '<Key_Log Wert="1"/>'), "none")
    c.add("extra-attributes-before-value",
          replace_once(logged, '<Key_Log Value="1"/>',
                       '<Key_Log ID="7" Kommentar="an" Value="1"/>'), "info")
    c.add("duplicate-value-attribute",
          replace_once(logged, '<Key_Log Value="1"/>', '<Key_Log Value="1" Value="0"/>'),
          "error")
    c.add("unquoted-attribute", replace_once(logged, '<Key_Log Value="1"/>', "<Key_Log Value=1/>"),
          "error")
    c.add("less-than-in-value", replace_once(logged, 'Value="Zelluo"', 'Value="Zel<luo"'), "error")
    c.add("bare-ampersand-in-value", replace_once(logged, 'Value="Zelluo"', 'Value="Zel&luo"'),
          "error")
    c.add("lenient-log-value", created(groups_with(Key_Log=" +1xyz")), "info")
    c.add("hex-log-value", created(groups_with(Key_Log="$1")), "info")

    # --- text content inside keys ---
    c.add("text-inside-key",
          replace_once(logged, '<Key_Log Value="1"/>', '<Key_Log Value="1">an</Key_Log>'),
          "info")
    c.add("child-element-inside-key",
          replace_once(logged, '<Key_Log Value="1"/>',
                       '<Key_Log Value="1"><Value>0</Value></Key_Log>'), "info")
    c.add("startpage-options-as-text-only",
          replace_once(base, '<Key_StartPage Value="Main"/>',
                       '<Key_StartPage Value="Main">Options</Key_StartPage>'), "none")

    # --- structure errors ---
    c.add("mismatched-end-tag", replace_once(logged, "</HKey_Options>", "</HKey_Option>"), "error")
    c.add("two-root-elements", logged + "<Root/>\r\n", "error")
    c.add("text-after-root", logged + "Ende\r\n", "error")
    c.add("missing-group-end-tag", replace_once(logged, "  </HKey_Designs>\r\n", ""), "error")

    # --- entities and document-type declarations ---
    laughs = ['<!ENTITY lol0 "lol">']
    for level in range(1, 10):
        laughs.append(f'<!ENTITY lol{level} "' + f"&lol{level - 1};" * 10 + '">')
    doctype = "<!DOCTYPE Root [\r\n  " + "\r\n  ".join(laughs) + "\r\n]>\r\n"
    c.add("billion-laughs-in-attribute",
          replace_once(base, "<Root>", doctype + "<Root>").replace('"Zelluo"', '"&lol9;"'),
          "error")
    c.add("billion-laughs-in-content",
          replace_once(base, "<Root>", doctype + "<Root>").replace(
              "</HKey_Designs>", "&lol9;</HKey_Designs>"), "error")
    blob = "x" * 40000
    quadratic = replace_once(base, "<Root>", f'<!DOCTYPE Root [<!ENTITY b "{blob}">]>\r\n<Root>')
    c.add("quadratic-blowup", replace_once(quadratic, "</Root>", "&b;" * 2000 + "</Root>"),
          "error")
    small = ("<!DOCTYPE Root [\r\n  <!ENTITY one \"1\">\r\n  <!ENTITY a \"aaaa\">\r\n"
             "  <!ENTITY b \"&a;&a;&a;&a;\">\r\n]>\r\n")
    c.add("internal-entities-expanded",
          replace_once(replace_once(base, "<Root>", small + "<Root>"), '<Key_Log Value="0"/>',
                       '<Key_Log Value="&one;"/>').replace('"Zelluo"', '"&b;"'), "info")
    c.add("internal-entity-startpage-options",
          replace_once(replace_once(base, "<Root>",
                                    '<!DOCTYPE Root [<!ENTITY p "Options">]>\r\n<Root>'),
                       'Value="Main"', 'Value="&p;"'), "none", "rewritten",
          replace_once(reset, "<Root>", '<!DOCTYPE Root [<!ENTITY p "Options">]>\r\n\r\n<Root>'))
    c.add("undefined-entity", replace_once(logged, 'Value="Zelluo"', 'Value="&zelluo;"'),
          "error")
    # The file named by the external entity (the test puts one there) is never read.
    external = replace_once(logged, "<Root>",
                            '<!DOCTYPE Root [<!ENTITY geheim SYSTEM "geheim.txt">]>\r\n<Root>')
    c.add("external-entity-in-attribute",
          replace_once(external, 'Value="Zelluo"', 'Value="&geheim;"'), "error")
    c.add("external-entity-in-content",
          replace_once(external, "</HKey_Designs>", "&geheim;</HKey_Designs>"), "info")
    c.add("external-entity-startpage-options",
          replace_once(replace_once(options, "<Root>",
                                    '<!DOCTYPE Root [<!ENTITY geheim SYSTEM "geheim.txt">]>'
                                    '\r\n<Root>'),
                       "</HKey_Designs>", "&geheim;</HKey_Designs>"), "none", "rewritten",
          replace_once(reset, "<Root>",
                       '<!DOCTYPE Root [<!ENTITY geheim SYSTEM "geheim.txt">]>\r\n\r\n<Root>'))
    # geheim.dtd (put there by the test) would give Key_Log a default Value of 1.
    no_log_value = replace_once(logged, '<Key_Log Value="1"/>', "<Key_Log/>")
    c.add("external-dtd", replace_once(no_log_value, "<Root>",
                                       '<!DOCTYPE Root SYSTEM "geheim.dtd">\r\n<Root>'), "none")
    c.add("parameter-entity",
          replace_once(no_log_value, "<Root>",
                       '<!DOCTYPE Root [<!ENTITY % p SYSTEM "geheim.dtd"> %p;]>\r\n<Root>'),
          "none")
    # A default from the internal subset is an attribute like any other.
    c.add("attlist-default-value",
          replace_once(no_log_value, "<Root>",
                       '<!DOCTYPE Root [<!ATTLIST Key_Log Value CDATA "1">]>\r\n<Root>'),
          "info")
    c.add("doctype-after-root", logged + "<!DOCTYPE Root>\r\n", "error")
    return c


def main():
    corpus = build()
    corpus.write()
    print(f"{len(corpus.rows)} variants written to {OUT}")


if __name__ == "__main__":
    main()
