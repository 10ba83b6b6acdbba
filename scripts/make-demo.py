#!/usr/bin/env python3
"""Writes the bundled demo suite (demo/NormDoc, demo/Bases, demo/bases.csv).

The documents are our own short Russian texts in the style of estimating norms, saved in
windows-1251 as the libraries of the suite are. Two pages are laid out as a word processor
saves them: one as its "Unicode" web page (UTF-16 with a byte-order mark), one whose phrases
its markup and line wraps break up, so that only the search in the text of a document finds
them. Run it again to regenerate the demo.
"""
import os
import random
import shutil
import struct
import sys
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "demo")

SENTENCES = [
    "Нормы предназначены для определения затрат при производстве строительных работ.",
    "Сметная стоимость определяется на основе единичных расценок и индексов изменения стоимости.",
    "Коэффициенты применяются к затратам труда рабочих и времени эксплуатации машин.",
    "В нормах учтены затраты на перемещение материалов в пределах рабочей зоны.",
    "При производстве работ в стесненных условиях применяется коэффициент 1,15.",
    "Расход материалов принят с учетом норм естественной убыли и потерь.",
    "Для работ, выполняемых в зимнее время, затраты определяются отдельно.",
    "Накладные расходы и сметная прибыль начисляются от фонда оплаты труда.",
    "Объем работ исчисляется по проектным данным в единицах измерения, указанных в таблицах.",
    "Покрытия из ксилолита устраивают по подготовленному основанию в два слоя.",
    "Шпунт Ларсен-5 погружают вибропогружателем с последующим извлечением.",
    "Цемент Portland применяется в соответствии с требованиями стандарта.",
    "Система качества подрядчика сертифицирована по стандарту ISO 9001.",
    "Требования СНиП к производству и приемке работ соблюдаются в полном объеме.",
    "Грунты разрабатываются экскаваторами с ковшом вместимостью до 1 куб. м.",
    "Обратная засыпка выполняется слоями с послойным уплотнением грунта.",
    "Опалубка устанавливается и разбирается с применением крана.",
    "Арматурные каркасы изготавливаются в заводских условиях.",
]

PNG_COLOURS = [(0x1f, 0x6f, 0x8b), (0xc0, 0x50, 0x30), (0x40, 0x90, 0x40)]


def png(width, height, colour):
    raw = b"".join(b"\x00" + bytes(colour) * width for _ in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw))
            + chunk(b"IEND", b""))


def page(title, paragraphs, extra=""):
    body = "\r\n".join(f"<p class=MsoNormal>{p}</p>" for p in paragraphs)
    return (
        "<html>\r\n<head>\r\n"
        '<meta http-equiv=Content-Type content="text/html; charset=windows-1251">\r\n'
        f"<title>{title}</title>\r\n"
        "<style>\r\np.MsoNormal {margin:0cm; font-size:12.0pt; font-family:\"Times New Roman\";}\r\n"
        "</style>\r\n</head>\r\n<body lang=RU>\r\n"
        f"<h2>{title}</h2>\r\n{body}\r\n{extra}</body>\r\n</html>\r\n"
    )


def table(rows):
    cells = "\r\n".join(
        "<tr>" + "".join(f"<td style='border:solid windowtext 1.0pt;padding:2pt'>{c}</td>" for c in row) + "</tr>"
        for row in rows)
    return f"<table class=MsoTableGrid border=1 cellspacing=0 cellpadding=0>\r\n{cells}\r\n</table>\r\n"


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(text.encode("cp1251"))


def document(folder, name, rng, picture=False, extra="", count=4):
    title = name.rsplit(".", 1)[0]
    paragraphs = rng.sample(SENTENCES, count)
    if picture:
        files = title + ".files"
        os.makedirs(os.path.join(folder, files), exist_ok=True)
        with open(os.path.join(folder, files, "image001.png"), "wb") as f:
            f.write(png(48, 32, rng.choice(PNG_COLOURS)))
        with open(os.path.join(folder, files, "filelist.xml"), "w") as f:
            f.write('<xml xmlns:o="urn:schemas-microsoft-com:office:office">\r\n'
                    ' <o:File HRef="image001.png"/>\r\n</xml>\r\n')
        extra += f'<p><img width=48 height=32 src="{files}/image001.png" alt="Схема"></p>\r\n'
    write(os.path.join(folder, name), page(title, paragraphs, extra))


def word_page(title, charset, body):
    """A page as a word processor saves it: its namespaces, settings in an xml island inside a
    conditional comment, a style sheet in a comment, CR LF lines."""
    lines = [
        '<html xmlns:v="urn:schemas-microsoft-com:vml"',
        'xmlns:o="urn:schemas-microsoft-com:office:office"',
        'xmlns:w="urn:schemas-microsoft-com:office:word"',
        'xmlns="http://www.w3.org/TR/REC-html40">',
        "",
        "<head>",
        f'<meta http-equiv=Content-Type content="text/html; charset={charset}">',
        "<meta name=ProgId content=Word.Document>",
        '<meta name=Generator content="Microsoft Word 11">',
        f"<title>{title}</title>",
        "<!--[if gte mso 9]><xml>",
        " <w:WordDocument>",
        "  <w:View>Print</w:View>",
        "  <w:Zoom>100</w:Zoom>",
        " </w:WordDocument>",
        "</xml><![endif]-->",
        "<style>",
        "<!--",
        " /* Style Definitions */",
        " p.MsoNormal, li.MsoNormal, div.MsoNormal",
        "\t{margin:0cm;",
        "\tmargin-bottom:.0001pt;",
        "\tfont-size:12.0pt;",
        '\tfont-family:"Times New Roman";}',
        "span.SpellE, span.GramE",
        "\t{mso-spl-e:yes;}",
        "-->",
        "</style>",
        "</head>",
        "",
        "<body lang=RU style='tab-interval:35.4pt'>",
        "",
        "<div class=Section1>",
        "",
    ]
    return "\r\n".join(lines + body + ["", "</div>", "", "</body>", "", "</html>", ""])


def word_table(rows):
    cell = ("  <td width=160 valign=top style='border:solid windowtext 1.0pt;padding:0cm 5.4pt 0cm 5.4pt'>\r\n"
            "  <p class=MsoNormal>{}<o:p></o:p></p>\r\n  </td>")
    body = ["<table class=MsoTableGrid border=1 cellspacing=0 cellpadding=0",
            " style='border-collapse:collapse;border:none'>"]
    for row in rows:
        body += [" <tr>"] + [cell.format(c) for c in row] + [" </tr>"]
    return body + ["</table>"]


def word_documents(folder):
    # The word processor's "Unicode" web page: UTF-16 little-endian with its byte-order mark.
    title = "Указания по применению индексов"
    body = [
        "<p class=MsoNormal align=center style='text-align:center'><b><span",
        "style='font-size:14.0pt'>Указания по применению индексов изменения сметной стоимости<o:p></o:p></span></b></p>",
        "",
        "<p class=MsoNormal style='text-align:justify'>Индексы изменения сметной стоимости",
        "применяются к стоимости, определенной в базисном уровне цен, по видам строительства и",
        "по элементам затрат.<o:p></o:p></p>",
        "",
        "<p class=MsoNormal style='text-align:justify'>Индексы к оборудованию применяются к его",
        "стоимости без учета затрат на доставку до приобъектного склада.<o:p></o:p></p>",
        "",
    ] + word_table([
        ["Вид строительства", "Индекс к СМР", "Индекс к оборудованию"],
        ["Жилые здания", "8,12", "5,34"],
        ["Школы", "7,96", "5,12"],
        ["Автомобильные дороги", "9,04", "4,87"],
    ]) + [
        "",
        "<p class=MsoNormal>Письмо &#8470; 12345-ИФ/09 разъясняет порядок применения индексов.<o:p></o:p></p>",
    ]
    with open(os.path.join(folder, title + ".htm"), "wb") as f:
        f.write(b"\xff\xfe" + word_page(title, "unicode", body).encode("utf-16-le"))

    # A windows-1251 page whose phrases markup, line wraps and references break up.
    title = "Состав сметной стоимости"
    body = [
        "<p class=MsoNormal align=center style='text-align:center'><b><span",
        "style='font-size:14.0pt'>Состав <span class=GramE>сметной</span> стоимости<o:p></o:p></span></b></p>",
        "",
        "<p class=MsoNormal style='text-align:justify'>Сметная <span class=SpellE>стоимость</span>",
        "строительства включает затраты на строительные работы, на монтаж оборудования и",
        "прочие затраты.<o:p></o:p></p>",
        "",
        "<p class=MsoNormal style='text-align:justify'>Для определения сметной",
        "стоимости применяются сметные нормативы, включенные в федеральный реестр.<o:p></o:p></p>",
        "",
        "<p class=MsoNormal style='text-align:justify'>Накладные расходы начисляются от фонда оплаты",
        "труда<span style='mso-spacerun:yes'>&nbsp; </span>рабочих-строителей и механизаторов.<o:p></o:p></p>",
        "",
        "<p class=MsoNormal style='text-align:justify'>Стоимость выполненных работ принимается по",
        "акту формы &#8470;&nbsp;КС-2, справка о стоимости составляется по форме &#8470;&nbsp;КС-3.<o:p></o:p></p>",
        "",
    ] + word_table([
        ["Элемент", "Основа расчета"],
        ["Прямые затраты", "Единичные расценки"],
        ["Накладные<br>расходы", "Фонд оплаты труда"],
        ["Сметная<span style='mso-spacerun:yes'>&nbsp; </span>прибыль", "Фонд оплаты труда"],
    ])
    write(os.path.join(folder, title + ".htm"), word_page(title, "windows-1251", body))


def folder_page(folder, title, rng):
    write(os.path.join(folder, "_index.htm"),
          page(title, ["Содержание раздела: " + title + "."] + rng.sample(SENTENCES, 1)))


def main():
    rng = random.Random(7)
    for part in ("NormDoc", "Bases"):
        shutil.rmtree(os.path.join(ROOT, part), ignore_errors=True)

    n = os.path.join(ROOT, "NormDoc")
    document(n, "Общие положения.htm", rng)
    document(n, "Порядок применения норм.htm", rng)
    document(n, "Словарь терминов.HTM", rng)
    write(os.path.join(n, "Справочник.html"), page("Справочник", ["Этот файл не является документом библиотеки."]))
    with open(os.path.join(n, "readme.txt"), "w", encoding="utf-8") as f:
        f.write("Демонстрационная библиотека Lectoria.\n")

    s1 = os.path.join(n, "Сборник 01. Земляные работы")
    folder_page(s1, "Сборник 01. Земляные работы", rng)
    document(s1, "Раздел 1.1 Разработка грунта.htm", rng)
    document(s1, "Раздел 1.2 Обратная засыпка.htm", rng)
    m = os.path.join(s1, "Механизированная разработка")
    folder_page(m, "Механизированная разработка", rng)
    document(m, "Экскаваторы.htm", rng, picture=True)
    document(m, "Бульдозеры.htm", rng)
    document(m, "Скреперы.htm", rng)
    v = os.path.join(m, "Нормы выработки")
    document(v, "Таблица выработки.htm", rng, extra=table([
        ["Машина", "Грунт", "Выработка, куб. м/смену"],
        ["Экскаватор 0,65 куб. м", "II группа", "420"],
        ["Экскаватор 1,0 куб. м", "III группа", "380"],
        ["Бульдозер 79 кВт", "II группа", "650"]]))
    document(v, "Поправочные коэффициенты.htm", rng)

    s6 = os.path.join(n, "Сборник 06. Бетонные и железобетонные конструкции")
    folder_page(s6, "Сборник 06. Бетонные и железобетонные конструкции", rng)
    r12 = os.path.join(s6, "Раздел 1.2")
    document(r12, "Монолитные фундаменты.htm", rng)
    document(r12, "Опалубка.htm", rng, picture=True)
    document(r12, "Армирование.htm", rng)
    c = os.path.join(s6, "Сборные конструкции")
    folder_page(c, "Сборные конструкции", rng)
    for name in ("Колонны.htm", "Ригели.htm", "Плиты перекрытий.htm"):
        document(c, name, rng)

    s11 = os.path.join(n, "Сборник 11. Полы")
    folder_page(s11, "Сборник 11. Полы", rng)
    for name in ("Покрытия из ксилолита.htm", "Цементные стяжки.htm", "Линолеум.htm",
                 "Плитка керамическая.htm"):
        document(s11, name, rng)

    sm = os.path.join(n, "Сметные нормы")
    document(sm, "Методика определения стоимости.htm", rng, picture=True)
    document(sm, "Накладные расходы.htm", rng)
    document(sm, "Сметная прибыль.htm", rng)
    ind = os.path.join(sm, "Индексы")
    document(ind, "Индексы 2023.htm", rng)
    document(ind, "Индексы 2024.htm", rng)
    word_documents(sm)

    reg = os.path.join(n, "Технические регламенты")
    folder_page(reg, "Технические регламенты", rng)
    document(reg, "СНиП 3.03.01-87.htm", rng)
    document(reg, "ГОСТ 12.1.004-91.htm", rng)
    document(reg, "Правила безопасности.htm", rng)

    bases = [("Base1", "ГЭСН-2020. Государственные сметные нормы"),
             ("Base2", "ФЕР-2020. Федеральные единичные расценки"),
             ("Base3", "ТЕР Московской области")]
    for index, (folder, name) in enumerate(bases):
        tt = os.path.join(ROOT, "Bases", folder, "TT")
        document(tt, "Общая часть.htm", rng)
        document(tt, "Техническая часть сборника 1.htm", rng)
        sub = os.path.join(tt, "Приложения")
        document(sub, "Приложение %d.htm" % (index + 1), rng, picture=(index == 0))
    with open(os.path.join(ROOT, "bases.csv"), "w", encoding="utf-8") as f:
        f.write("# VID;DIR (relative to the suite folder);NAIM\n")
        for folder, name in bases:
            f.write(f"b;Bases/{folder}/;{name}\n")
        f.write("s;Bases/;Служебная запись (не база)\n")


if __name__ == "__main__":
    sys.exit(main())
