# Rewrites a little-endian classic TIFF with its first directory in front of
# the pixel data, as scanners and cameras write it: python3 vorn.py ein.tif aus.tif
import struct, sys
d = open(sys.argv[1], 'rb').read()
assert d[:4] == b'II*\0'
ifd = struct.unpack_from('<I', d, 4)[0]
n = struct.unpack_from('<H', d, ifd)[0]
groesse = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8, 7: 1, 8: 2, 9: 4, 10: 8, 11: 4, 12: 8}
eintraege = [struct.unpack_from('<HHII', d, ifd + 2 + 12 * i) for i in range(n)]
extern = []
for tag, typ, anzahl, wert in eintraege:
    laenge = groesse[typ] * anzahl
    extern.append(d[wert:wert + laenge] if laenge > 4 else None)
kopf_ende = 8 + 2 + 12 * n + 4
ort = kopf_ende + sum(len(e) + (len(e) & 1) for e in extern if e is not None)
verschiebung = ort - 8          # the pixel data moves from offset 8 to `ort`
neu_extern, neu_eintraege, p = b'', [], kopf_ende
for (tag, typ, anzahl, wert), e in zip(eintraege, extern):
    if tag in (273, 324):       # StripOffsets, TileOffsets
        fmt = '<' + ('H' if typ == 3 else 'I') * anzahl
        werte = [v + verschiebung for v in struct.unpack(fmt, e if e is not None else struct.pack('<I', wert)[:groesse[typ] * anzahl])]
        roh = struct.pack(fmt, *werte)
        if e is None:
            wert = struct.unpack('<I', roh.ljust(4, b'\0'))[0]
        else:
            e = roh
    if e is not None:
        wert = p
        neu_extern += e + b'\0' * (len(e) & 1)
        p += len(e) + (len(e) & 1)
    neu_eintraege.append(struct.pack('<HHII', tag, typ, anzahl, wert))
aus = b'II*\0' + struct.pack('<IH', 8, n) + b''.join(neu_eintraege) + b'\0\0\0\0' + neu_extern + d[8:ifd]
open(sys.argv[2], 'wb').write(aus)
