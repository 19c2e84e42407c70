#!/usr/bin/env python3
"""Writes the hand-made group files the store tests read, byte for byte.

Run it from any folder; it rewrites the .dat files beside itself. The bytes are
spelled out here because editors and git would change line ends and encodings.
"""
from pathlib import Path

HERE = Path(__file__).resolve().parent

FILES = {
    # As an older version wrote it: CR LF pairs as 0x01, commas as 0x02, plain ASCII.
    "written.dat": b"[ListData]\r\n"
    b"Text1=a\x02b\x01c,0,,0\r\n"
    b"Text2=protected,1,,0\r\n"
    b"Text3=named text,1,a caption\x02 with comma,1\r\n"
    b"Text4=two\x01lines\x01,0,cap\x01tion,0\r\n",
    # Windows-1252: e acute 0xE9, euro 0x80, i diaeresis 0xEF, left quote 0x93.
    "cp1252.dat": b"[ListData]\r\n"
    b"Text1=caf\xe9 \x80 5,0,,0\r\n"
    b"Text2=na\xefve\x01\x93q\x94,1,Cap\xe9,1\r\n",
    # Keys out of order, missing or odd: only the line order counts.
    "oddkeys.dat": b"[ListData]\r\n"
    b"Text5=five,0,,0\r\n"
    b"Text3=three,1,,0\r\n"
    b"=nokey,0,,0\r\n"
    b"foo bar=odd key,0,,0\r\n"
    b"Text=no number,0,,0\r\n",
    # Lines without "=" are passed over wherever they stand.
    "noequals.dat": b"[ListData]\r\n"
    b"Text1=a,0,,0\r\n"
    b"just a line\r\n"
    b"\r\n"
    b"[Other]\r\n"
    b"Text2=b,0,,0\r\n",
    # Fields beyond the fourth are ignored, short lines leave the rest empty.
    "fields.dat": b"[ListData]\r\n"
    b"Text1=a,1,c,1,extra,more\r\n"
    b"Text2=b,0,cap,0,x2\r\n"
    b"Text3=only text\r\n"
    b"Text4=t,1\r\n"
    b"Text5=u,1,cap\r\n",
    # Flags: halves to even, no leading number is 0, beyond 16 bits is an error.
    "flags.dat": b"[ListData]\r\n"
    b"Text1=one,1.5,,2.5\r\n"
    b"Text2=two,abc,,-1.5\r\n"
    b"Text3=three,99999,cap,1\r\n"
    b"Text4=four,1,cap,40000\r\n"
    b"Text5=five,  7x,,-32768\r\n",
    # "=" inside a text: only the first one of a line separates.
    "equals.dat": b"[ListData]\r\n"
    b"Text1=a=b=c,0,,0\r\n"
    b"Text2==start,0,x=y,0\r\n",
    # Blank values give empty records; a short line does not inherit fields.
    "blank.dat": b"[ListData]\r\n"
    b"Text1=first,1,cap,1\r\n"
    b"Text2=\r\n"
    b"Text3=   \r\n"
    b"Text4=short\r\n",
    # CR alone ends a line, a lone LF does not; the last line has no line end.
    "crlines.dat": b"[ListData]\r"
    b"Text1=a,0,,0\r"
    b"Text2=b\nstill b,1,,0\r\n"
    b"Text3=c,0,,0\nText4=d,0,,0\n\r"
    b"Text5=e,0,,1",
}


def main():
    for name, data in FILES.items():
        (HERE / name).write_bytes(data)


if __name__ == "__main__":
    main()
