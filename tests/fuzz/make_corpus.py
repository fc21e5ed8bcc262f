#!/usr/bin/env python3
"""Writes the reply parser's seed corpus: a few well-formed replies of the shapes the parser
meets, from which the fuzzer mutates. Run from anywhere; writes beside this script."""
import pathlib


def text(value: bytes) -> bytes:
    return bytes([len(value)]) + value


def header(team_count: int) -> bytes:
    return (b"c**b" + text(b"Tribes") + text(b"1.30") + text(b"Alpha Base")
            + bytes([1, 0, 12, 32, 0x34, 0x12])
            + text(b"base") + text(b"CTF") + text(b"Raindance") + text(b"Welcome")
            + bytes([team_count]) + text(b"") + text(b""))


def player(ping: int, loss: int, team: int, name: bytes, score: int) -> bytes:
    return bytes([ping // 4, loss, team]) + text(name) + text(b"%-8s%d\t0\t0" % (name[:8], score))


def realistic_twelve() -> bytes:
    teams = text(b"Blood Eagle") + text(b"\t\t\t12") + text(b"Diamond Sword") + text(b"\t\t\t9")
    players = b"".join(player(40 + 8 * i, i % 3, [0, 1, 255][i % 3], b"Player%d" % i, 7 * i - 10)
                       for i in range(12))
    return header(2) + teams + players


def minimal() -> bytes:
    return b"c**b" + text(b"") * 3 + bytes(6) + text(b"") * 4 + bytes([0]) + text(b"") * 3 + bytes([0])


def halted() -> bytes:
    return header(255) + text(b"Blood Eagle") + text(b"\t\t\t1")


def three_teams() -> bytes:
    teams = b"".join(text(name) + text(score) for name, score in
                     [(b"Blood Eagle", b"\t\t\t3"), (b"Starwolf", b"ab"), (b"Phoenix", b"\t\t\t-1")])
    return header(3) + teams + player(100, 2, 2, b"Ann", 5) + player(0, 0, 7, b"", 0)


def main() -> None:
    corpus = pathlib.Path(__file__).resolve().parent / "corpus"
    corpus.mkdir(exist_ok=True)
    seeds = {"realistic_12_players": realistic_twelve(), "minimal_22_bytes": minimal(),
             "team_count_255": halted(), "three_teams": three_teams()}
    assert len(seeds["minimal_22_bytes"]) == 22
    for name, data in seeds.items():
        (corpus / f"{name}.bin").write_bytes(data)


if __name__ == "__main__":
    main()
