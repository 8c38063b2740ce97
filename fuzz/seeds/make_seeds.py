#!/usr/bin/env python3
"""Writes the seeds of fuzz_scsi_scan, fuzz_disk_tables and fuzz_smdi_replies
from their harnesses' input layouts: python3 fuzz/seeds/make_seeds.py"""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    os.makedirs(os.path.join(here, target), exist_ok=True)
    with open(os.path.join(here, target, name), 'wb') as f:
        f.write(data)


def be(v, w):
    return v.to_bytes(w, 'big')


# An ESi disk: 4096 sectors, FIR at 1, one Bank Index sector at 2, one BAT
# sector at 3, 30 blocks from sector 4.
def disk_info(code=1):
    s = bytearray(512)
    s[0:4] = b'EMU3'
    for at, v in ((4, 4095), (8, 1), (16, 2), (20, 1), (24, 3), (28, 1), (32, 4), (36, 30)):
        struct.pack_into('<I', s, at, v)
    s[0x28] = code
    s[220:224] = b'\x12\x34\x56\x78'  # the bytes the older checksum leaves out
    return s


def checksum(s, gapped):
    used = [i for i in range(510) if not (gapped and 220 <= i <= 223)]
    even = sum(s[i] for i in used if i % 2 == 0)
    odd = sum(s[i] for i in used if i % 2 == 1)
    return ((even & 0xFF) << 8) | (((even >> 8) + odd) & 0xFF)


def sector0(gapped=False, code=1):
    s = disk_info(code)
    struct.pack_into('>H', s, 510, checksum(s, gapped))
    return bytes(s)


def index(entries):
    s = bytearray(512)
    for i, (name, number, first, blocks) in enumerate(entries):
        e = (name.ljust(16).encode() + be(number, 2) + struct.pack('<HHHH', first, blocks, 5, 100)
             + b'\x81')
        s[i * 32:i * 32 + len(e)] = e
    return bytes(s)


def bat(links):
    s = bytearray(512)
    for block, next_block in links.items():
        struct.pack_into('<H', s, 2 * block, next_block)
    return bytes(s)


# fuzz_disk_tables: sector 0, one Bank Index sector, one BAT sector.
write('fuzz_disk_tables', 'two_banks',
      sector0() + index([('PIANO', 0, 1, 1), ('STRINGS X', 7, 3, 0)])
      + bat({1: 2, 2: 0x7FFF, 3: 0x7FFF}))
# The older checksum; one chain loops, one runs past the disk, one shares a block.
write('fuzz_disk_tables', 'bad_chains',
      sector0(True, 2) + index([('LOOP', 1, 1, 3), ('PAST', 2, 4, 1), ('SHARED', 3, 5, 1)])
      + bat({1: 2, 2: 1, 4: 40, 5: 2}))

# fuzz_scsi_scan: the flags (one adapter), then each command's answer byte
# (0x10: completes at once), its error byte (1: none) and the data it reads,
# in the order the scan and the listing send them. The harness stores the
# magic and checksum of every sector 0 itself.
OK = b'\x10\x01'
NONE = b'\x00' * 7  # targets 1-7: no unit


def inquiry(kind, rmb, vendor, product):
    return OK + bytes([kind, rmb, 0, 0, 0, 0, 0, 0]) + vendor.ljust(8).encode() + product.ljust(16).encode()


def read(data):
    return OK + OK + data  # TEST UNIT READY, then READ(10)


scan_index = index([('PIANO', 0, 1, 2), ('STRINGS X', 7, 3, 2)])
scan_sector0 = bytes(disk_info())
write('fuzz_scsi_scan', 'fixed_disk',
      b'\x01' + inquiry(0, 0, 'SEAGATE', 'ST32550N') + read(scan_sector0) + NONE
      + read(scan_sector0) + read(scan_index))
# A removable optical unit whose logical unit 0 fails its read: the next one
# answers. Its medium is read before the listing, which reads sector 0 again.
write('fuzz_scsi_scan', 'optical_lun1',
      b'\x01' + inquiry(7, 0x80, 'SONY', 'SMO-F541') + NONE + OK + b'\x10\x00' + OK + scan_sector0
      + read(scan_sector0) + read(scan_index))

# fuzz_smdi_replies: the command, then the sampler's replies in order, each a
# kind (the ID), two bytes of body length and the body.
WAIT, ACK, REJECT, HEADER, BEGIN, PACKET, END = range(7)
LIST, DELETE, RECEIVE = b'\0', b'\1', b'\2'


def reply(kind, body=b''):
    return bytes([kind]) + be(len(body), 2) + body


def header(channels, frames, start, end, control, name=b'Fuzz', period=22676, number=1):
    return reply(HEADER, be(number, 3) + bytes([16, channels]) + be(period, 3) + be(frames, 4)
                 + be(start, 4) + be(end, 4) + bytes([control]) + be(60, 2) + be(0, 2)
                 + bytes([len(name)]) + name)


def begin(packet_length):
    return reply(BEGIN, be(1, 3) + be(packet_length, 3))


def packet(number, data):
    return reply(PACKET, be(number, 3) + data)


audio = bytes(range(32))
write('fuzz_smdi_replies', 'receive_looped_stereo',
      RECEIVE + reply(ACK) + header(2, 8, 2, 8, 0) + begin(16) + packet(0, audio[:16])
      + packet(1, audio[16:]))
# Waits before answers, odd packets, a last packet longer than the audio left.
write('fuzz_smdi_replies', 'receive_mono_waits_odd',
      RECEIVE + reply(WAIT) + reply(ACK) + reply(WAIT) + header(1, 6, 0, 0, 0x7F, b'Fuzz  ', 20833)
      + reply(WAIT) + begin(5) + packet(0, audio[:5]) + reply(WAIT) + packet(1, audio[5:10])
      + packet(2, audio[10:15]))
# A loop end far past the audio.
write('fuzz_smdi_replies', 'receive_loop_past_audio',
      RECEIVE + reply(ACK) + header(2, 8, 2, 0x20000008, 0) + begin(16) + packet(0, audio[:16])
      + packet(1, audio[16:]))
write('fuzz_smdi_replies', 'delete', DELETE + reply(ACK) + header(1, 4, 0, 4, 0) + reply(ACK) + reply(END))
# Samples 1 and 3, an empty slot between, a Wait, and a header cut short.
write('fuzz_smdi_replies', 'list',
      LIST + reply(ACK) + header(1, 100, 0, 100, 0, b'Kick') + reply(REJECT) + reply(WAIT)
      + header(2, 9, 1, 5, 0x7F, b'Pad long name   ', 20833, 3) + reply(HEADER, be(4, 3) + b'\x10'))
