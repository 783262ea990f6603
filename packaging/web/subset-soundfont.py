#!/usr/bin/env python3
"""Cuts a SoundFont 2 file down to the presets a game's MIDI pieces use.

usage: subset-soundfont.py IN.sf2 OUT.sf2 PIECE.mid...

Keeps every preset a piece can select (each channel's bank and program
changes; channel 10 plays bank 128, the drum kits; program 0 of banks 0 and
128, which channels start on, always), the instruments those presets use and
the samples those instruments play, each byte for byte, so the kept presets
sound exactly as in the whole file. Everything else of the file (its INFO
chunk, the modulators and generators of the kept zones) is copied; only the
indexes between the lists and the sample offsets are renumbered.
Prints what it kept to standard error.
"""
import struct
import sys

# Sizes of the records of the pdta lists.
PHDR = struct.Struct("<20sHHHIII")
BAG = struct.Struct("<HH")
MOD = struct.Struct("<HHhHH")
GEN = struct.Struct("<HH")
INST = struct.Struct("<20sH")
SHDR = struct.Struct("<20sIIIIIBbHH")
GEN_INSTRUMENT = 41
GEN_SAMPLE = 53
SAMPLE_PAD = 46  # zero sample points after each sample, as the format asks


def chunks(data, big_endian=False):
    """The (id, body) pairs of a run of RIFF chunks (of MIDI chunks when
    big-endian: their sizes are, and they are not padded)."""
    at = 0
    while at + 8 <= len(data):
        cid, size = struct.unpack_from(">4sI" if big_endian else "<4sI", data, at)
        yield cid, data[at + 8 : at + 8 + size]
        at += 8 + size + (0 if big_endian else size & 1)


def chunk(cid, body):
    return struct.pack("<4sI", cid, len(body)) + body + (b"\0" if len(body) & 1 else b"")


def records(body, layout):
    return [layout.unpack_from(body, i) for i in range(0, len(body), layout.size)]


def midi_presets(path):
    """The (bank, program) pairs a Standard MIDI File can select."""
    data = open(path, "rb").read()
    used = {(0, 0), (128, 0)}
    for cid, track in chunks(data[14:] if data[:4] == b"MThd" else b"", big_endian=True):
        if cid != b"MTrk":
            continue
        bank = [0] * 16
        at, status = 0, 0
        while at < len(track):
            while track[at] & 0x80:  # delta time
                at += 1
            at += 1
            if at >= len(track):
                break
            byte = track[at]
            if byte == 0xFF:
                length, at = varlen(track, at + 2)
                at += length
                continue
            if byte in (0xF0, 0xF7):
                length, at = varlen(track, at + 1)
                at += length
                continue
            if byte & 0x80:
                status = byte
                at += 1
            kind, channel = status & 0xF0, status & 0x0F
            size = 1 if kind in (0xC0, 0xD0) else 2
            args = track[at : at + size]
            at += size
            if kind == 0xB0 and len(args) == 2 and args[0] == 0:
                bank[channel] = args[1]
            elif kind == 0xC0 and args:
                used.add((128 if channel == 9 else bank[channel], args[0]))
    return used


def varlen(data, at):
    value = 0
    while True:
        byte = data[at]
        at += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, at


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__.strip().splitlines()[2])
    source, target, pieces = sys.argv[1], sys.argv[2], sys.argv[3:]
    data = open(source, "rb").read()
    assert data[:4] == b"RIFF" and data[8:12] == b"sfbk", "not a SoundFont 2 file"
    lists = {}
    for cid, body in chunks(data[12:]):
        if cid == b"LIST":
            lists[body[:4]] = dict(chunks(body[4:]))
    info, sdta, pdta = lists[b"INFO"], lists[b"sdta"], lists[b"pdta"]
    smpl = sdta[b"smpl"]

    wanted = set()
    for piece in pieces:
        wanted |= midi_presets(piece)

    phdr, pbag, pmod, pgen = (records(pdta[k], r) for k, r in
                              ((b"phdr", PHDR), (b"pbag", BAG), (b"pmod", MOD), (b"pgen", GEN)))
    inst, ibag, imod, igen = (records(pdta[k], r) for k, r in
                              ((b"inst", INST), (b"ibag", BAG), (b"imod", MOD), (b"igen", GEN)))
    shdr = records(pdta[b"shdr"], SHDR)

    def zones(headers, bags, index, bag_field):
        first, last = headers[index][bag_field], headers[index + 1][bag_field]
        return [(bags[b], bags[b + 1]) for b in range(first, last)]

    # Presets kept, in file order; a drum kit program missing from bank 128
    # falls back to kit 0 in FluidSynth, which is kept anyway.
    presets = [i for i, p in enumerate(phdr[:-1]) if (p[2], p[1]) in wanted]
    instruments = []
    for p in presets:
        for (g0, m0), (g1, m1) in zones(phdr, pbag, p, 3):
            for oper, amount in pgen[g0:g1]:
                if oper == GEN_INSTRUMENT and amount not in instruments:
                    instruments.append(amount)
    instruments.sort()
    samples = []
    for i in instruments:
        for (g0, m0), (g1, m1) in zones(inst, ibag, i, 1):
            for oper, amount in igen[g0:g1]:
                if oper == GEN_SAMPLE and amount not in samples:
                    samples.append(amount)
    # Stereo partners travel with their samples.
    for s in list(samples):
        link, kind = shdr[s][8], shdr[s][9]
        if kind not in (1, 0x8001) and link not in samples and link < len(shdr) - 1:
            samples.append(link)
    samples.sort()
    inst_map = {old: new for new, old in enumerate(instruments)}
    sample_map = {old: new for new, old in enumerate(samples)}

    # Sample data and headers. Each sample keeps what follows it up to the
    # next sample in the file (its padding at least): loop offsets of the
    # instruments may reach past its end.
    starts = sorted({h[1] for h in shdr[:-1]} | {len(smpl) // 2})
    new_smpl = bytearray()
    new_shdr = []
    for s in samples:
        name, start, end, loop_start, loop_end, rate, key, corr, link, kind = shdr[s]
        at = len(new_smpl) // 2
        following = next(x for x in starts if x > start)
        new_smpl += smpl[start * 2 : max(following, end + SAMPLE_PAD) * 2]
        new_smpl += b"\0" * max(0, (end + SAMPLE_PAD - following) * 2)
        shift = at - start
        new_shdr.append((name, start + shift, end + shift, loop_start + shift, loop_end + shift,
                         rate, key, corr, sample_map.get(link, 0), kind))
    new_shdr.append(shdr[-1][:1] + (0,) * 5 + (0, 0, 0, 0))

    def rebuild(headers, keep, bags, mods, gens, bag_field, remap_oper, remap):
        """The kept headers with their zones, generators renumbered."""
        out_headers, out_bags, out_mods, out_gens = [], [], [], []
        for h in keep:
            fields = list(headers[h])
            fields[bag_field] = len(out_bags)
            out_headers.append(tuple(fields))
            for (g0, m0), (g1, m1) in zones(headers, bags, h, bag_field):
                out_bags.append((len(out_gens), len(out_mods)))
                out_mods += mods[m0:m1]
                for oper, amount in gens[g0:g1]:
                    out_gens.append((oper, remap[amount] if oper == remap_oper else amount))
        end = list(headers[-1])
        end[bag_field] = len(out_bags)
        out_headers.append(tuple(end))
        out_bags.append((len(out_gens), len(out_mods)))
        out_mods.append((0, 0, 0, 0, 0))
        out_gens.append((0, 0))
        return out_headers, out_bags, out_mods, out_gens

    p_headers, p_bags, p_mods, p_gens = rebuild(phdr, presets, pbag, pmod, pgen, 3,
                                                GEN_INSTRUMENT, inst_map)
    i_headers, i_bags, i_mods, i_gens = rebuild(inst, instruments, ibag, imod, igen, 1,
                                                GEN_SAMPLE, sample_map)

    def pack(layout, rows):
        return b"".join(layout.pack(*r) for r in rows)

    pdta_body = b"pdta" + b"".join([
        chunk(b"phdr", pack(PHDR, p_headers)), chunk(b"pbag", pack(BAG, p_bags)),
        chunk(b"pmod", pack(MOD, p_mods)), chunk(b"pgen", pack(GEN, p_gens)),
        chunk(b"inst", pack(INST, i_headers)), chunk(b"ibag", pack(BAG, i_bags)),
        chunk(b"imod", pack(MOD, i_mods)), chunk(b"igen", pack(GEN, i_gens)),
        chunk(b"shdr", pack(SHDR, new_shdr)),
    ])
    info_body = b"INFO" + b"".join(chunk(k, v) for k, v in info.items())
    body = b"sfbk" + chunk(b"LIST", info_body) + chunk(b"LIST", b"sdta" + chunk(b"smpl", bytes(new_smpl))) \
        + chunk(b"LIST", pdta_body)
    open(target, "wb").write(chunk(b"RIFF", body))
    print(f"subset-soundfont: {len(presets)} presets, {len(instruments)} instruments, "
          f"{len(samples)} samples; {len(data)} -> {len(body) + 8} bytes", file=sys.stderr)


if __name__ == "__main__":
    main()
