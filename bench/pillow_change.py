# Pillow doing a whole wallpaper change, for scripts/bench-peers:
#   python3 pillow_change.py PICTURE PCT OUT.bmp
# The JPEG decoded at a reduced size where the target allows it, box-reduced
# the rest of the way, blended 40 % with the desktop colour, written as a
# 32-bit BMP.
import sys

from PIL import Image

source, pct, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
picture = Image.open(source)
size = (max(1, picture.width * pct // 100), max(1, picture.height * pct // 100))
if size != picture.size:
    picture.draft("RGB", size)
picture = picture.convert("RGB")
if picture.size != size:
    picture = picture.resize(size, Image.BOX)
picture = Image.blend(picture, Image.new("RGB", size, (37, 111, 149)), 0.4)
picture.convert("RGBA").save(out, "BMP")
