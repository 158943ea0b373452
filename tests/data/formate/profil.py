# A small RGB display profile: matrix and gamma 2.2 curves, ICC version 2.1.
import struct
def xyz(x, y, z): return b'XYZ ' + b'\0'*4 + b''.join(struct.pack('>i', round(v * 65536)) for v in (x, y, z))
def curv(g): return b'curv' + b'\0'*4 + struct.pack('>IH', 1, round(g * 256)) + b'\0\0'
def text(t): return b'text' + b'\0'*4 + t.encode() + b'\0'
def desc(t):
    a = t.encode() + b'\0'
    return b'desc' + b'\0'*4 + struct.pack('>I', len(a)) + a + b'\0'*4 + b'\0'*4 + b'\0'*3 + b'\0'*67
tags = [(b'desc', desc('Sichtwerk Testprofil')), (b'cprt', text('Gemeinfrei')),
        (b'wtpt', xyz(0.9642, 1.0, 0.8249)),
        (b'rXYZ', xyz(0.4361, 0.2225, 0.0139)), (b'gXYZ', xyz(0.3851, 0.7169, 0.0971)),
        (b'bXYZ', xyz(0.1431, 0.0606, 0.7141)),
        (b'rTRC', curv(2.2)), (b'gTRC', curv(2.2)), (b'bTRC', curv(2.2))]
ort = 128 + 4 + 12 * len(tags)
tabelle, daten = b'', b''
for sig, d in tags:
    while len(d) % 4: d += b'\0'
    tabelle += sig + struct.pack('>II', ort + len(daten), len(d))
    daten += d
groesse = ort + len(daten)
kopf = struct.pack('>I', groesse) + b'none' + bytes([2, 0x10, 0, 0]) + b'mntrRGB XYZ ' + struct.pack('>6H', 2024, 1, 1, 0, 0, 0)
kopf += b'acsp' + b'APPL' + b'\0'*4 + b'\0'*4 + b'\0'*4 + b'\0'*8 + struct.pack('>I', 0)
kopf += struct.pack('>iii', round(0.9642*65536), 65536, round(0.8249*65536)) + b'\0'*4
kopf += b'\0' * (128 - len(kopf))
open('profil.icc', 'wb').write(kopf + struct.pack('>I', len(tags)) + tabelle + daten)
