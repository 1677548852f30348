#!/usr/bin/python3
"""Builds the updater's skin: draws every PNG the layouts name, packs them with the layouts into
a zip (same bytes on every run) and draws icon 101.

    make_skin.py LAYOUT_DIR OUT_ZIP OUT_ICO

Runs with Debian's python3 and python3-pil; the captions use the WenQuanYi Micro Hei font.
"""
import io
import re
import sys
import zipfile
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

FONT = '/usr/share/fonts/truetype/wqy/wqy-microhei.ttc'
BLUE = (0x16, 0x94, 0xFF)
BLUE_HOT = (0x3A, 0xA6, 0xFF)
BLUE_PUSHED = (0x0F, 0x7A, 0xD6)
WHITE = (0xFF, 0xFF, 0xFF)
TEXT = (0x33, 0x33, 0x33)

# Captions drawn into buttons whose layouts give them no text (the confirm button's text is set
# by the program, so its face stays blank).
CAPTIONS = {
    ('btn_cancel', 'zh'): '取消', ('btn_cancel', 'en'): 'Cancel',
    ('btn_install', 'zh'): '立即安装', ('btn_install', 'en'): 'Install',
    ('btn_skip', 'zh'): '跳过', ('btn_skip', 'en'): 'Skip',
    ('btn_launch', 'zh'): '立即打开', ('btn_launch', 'en'): 'Open now',
}
SIZES = {'btn_close': (14, 14), 'btn_cancel': (72, 24), 'btn_common': (72, 24),
         'btn_install': (71, 26), 'btn_skip': (71, 26), 'btn_launch': (80, 36)}


def rounded(size, fill, outline=None, radius=4):
    im = Image.new('RGBA', size, (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    d.rounded_rectangle([0, 0, size[0] - 1, size[1] - 1], radius=radius, fill=fill, outline=outline)
    return im


def caption(im, text, colour):
    d = ImageDraw.Draw(im)
    font = ImageFont.truetype(FONT, 13 if im.size[1] < 30 else 14)
    l, t, r, b = d.textbbox((0, 0), text, font=font)
    d.text(((im.size[0] - (r - l)) / 2 - l, (im.size[1] - (b - t)) / 2 - t), text, font=font, fill=colour)


def close_face(state):
    im = Image.new('RGBA', (14, 14), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    if state != 'n':
        d.ellipse([0, 0, 13, 13], fill=BLUE_HOT + (255,) if state == 'h' else BLUE_PUSHED + (255,))
    d.line([3, 3, 10, 10], fill=WHITE, width=2)
    d.line([3, 10, 10, 3], fill=WHITE, width=2)
    return im


def draw(name):
    m = re.fullmatch(r'(btn_[a-z]+)_([nhp])(_en)?\.png', name)
    lang = 'en' if name.endswith('_en.png') else 'zh'
    if m:
        base, state = m.group(1), m.group(2)
        if base == 'btn_close':
            return close_face(state)
        size = SIZES[base]
        if base == 'btn_cancel':
            fill = {'n': WHITE, 'h': (0xF0, 0xF7, 0xFF), 'p': (0xDD, 0xE8, 0xF2)}[state]
            im = rounded(size, fill + (255,), outline=(0xC8, 0xC8, 0xC8, 255))
            colour = TEXT
        else:
            fill = {'n': BLUE, 'h': BLUE_HOT, 'p': BLUE_PUSHED}[state]
            im = rounded(size, fill + (255,))
            colour = WHITE
        if (base, lang) in CAPTIONS:
            caption(im, CAPTIONS[(base, lang)], colour)
        return im
    if name.startswith('progress_bg'):
        return Image.new('RGBA', (200, 3), (0xDD, 0xE3, 0xEA, 255))
    if name.startswith('progress_fg'):
        return Image.new('RGBA', (200, 3), BLUE + (255,))
    raise SystemExit(f'no drawing for {name}')


def png_bytes(im):
    out = io.BytesIO()
    im.save(out, format='PNG', optimize=False)
    return out.getvalue()


def icon_bytes():
    im = Image.new('RGBA', (48, 48), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    d.rounded_rectangle([2, 2, 45, 45], radius=10, fill=BLUE + (255,))
    d.polygon([(24, 10), (36, 24), (28, 24), (28, 36), (20, 36), (20, 24), (12, 24)], fill=WHITE + (255,))
    out = io.BytesIO()
    im.save(out, format='ICO', sizes=[(16, 16), (32, 32), (48, 48)])
    return out.getvalue()


def main():
    layout_dir, out_zip, out_ico = Path(sys.argv[1]), Path(sys.argv[2]), Path(sys.argv[3])
    entries = {}
    for xml in sorted(layout_dir.glob('*.xml')):
        text = xml.read_bytes()
        entries[xml.name] = text
        for image in re.findall(rb'"([A-Za-z0-9_]+\.png)"', text):
            entries.setdefault(image.decode(), None)
    tmp = out_zip.with_suffix('.tmp')
    with zipfile.ZipFile(tmp, 'w', compression=zipfile.ZIP_DEFLATED) as z:
        for name in sorted(entries):
            data = entries[name] if entries[name] is not None else png_bytes(draw(name))
            info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, data)
    tmp.replace(out_zip)
    out_ico.write_bytes(icon_bytes())


if __name__ == '__main__':
    main()
