#!/usr/bin/python3
"""Expected values for the tests, made with tools that are not Zelkor's code.

  - geodesic distances and polygon areas on WGS 84: GeographicLib for Python
    (Debian python3-geographiclib);
  - the convex hull found in an azimuthal equidistant projection centred on
    the fixes: PROJ through pyproj (python3-pyproj);
  - UTM coordinates: PROJ's own UTM;
  - local times in named zones: Python's zoneinfo over the system's zone
    files;
  - the blocks of the test GPS data files: a decoder written here from the
    file layout, not the program's.

Run it again (with /usr/bin/python3, which has those packages) only when a
season or a zone sample changes; the files it writes are kept beside it:

  tests/data/reference/make_references.py
"""

import datetime
import math
import os
import random
import zoneinfo

from geographiclib.geodesic import Geodesic
import pyproj

HERE = os.path.dirname(os.path.abspath(__file__))
GPS = os.path.join(HERE, "..", "gps")
WGS84 = Geodesic.WGS84


def quantize(value):
    """A signed degree value as the collar stores it: whole degrees, whole
    minutes and ten-thousandths of a minute (rounded)."""
    sign = -1 if value < 0 else 1
    v = abs(value)
    degrees = int(v)
    ticks = int(round((v - degrees) * 60 * 10000))
    if ticks >= 60 * 10000:
        degrees += 1
        ticks -= 60 * 10000
    minutes, fraction = divmod(ticks, 10000)
    return sign * (degrees + (minutes * 10000 + fraction) / 10000 / 60)


def wrap(lon):
    return (lon + 180.0) % 360.0 - 180.0


def mean_centre(points):
    """Mean latitude, and the mean of the longitudes unwrapped around their
    circular mean."""
    sx = sum(math.cos(math.radians(lon)) for _, lon in points)
    sy = sum(math.sin(math.radians(lon)) for _, lon in points)
    reference = math.degrees(math.atan2(sy, sx))
    lons = [reference + wrap(lon - reference) for _, lon in points]
    lat = sum(lat for lat, _ in points) / len(points)
    return lat, wrap(sum(lons) / len(lons))


def hull_indices(xy):
    """Andrew's monotone chain over projected points; indices of the corners."""
    order = sorted(range(len(xy)), key=lambda i: (xy[i][0], xy[i][1]))

    def cross(o, a, b):
        return (xy[a][0] - xy[o][0]) * (xy[b][1] - xy[o][1]) - (xy[a][1] - xy[o][1]) * (xy[b][0] - xy[o][0])

    lower, upper = [], []
    for i in order:
        while len(lower) >= 2 and cross(lower[-2], lower[-1], i) <= 0:
            lower.pop()
        lower.append(i)
    for i in reversed(order):
        while len(upper) >= 2 and cross(upper[-2], upper[-1], i) <= 0:
            upper.pop()
        upper.append(i)
    return lower[:-1] + upper[:-1]


def mcp_area_km2(points):
    lat0, lon0 = mean_centre(points)
    aeqd = pyproj.Proj(proj="aeqd", lat_0=lat0, lon_0=lon0, ellps="WGS84")
    xy = [aeqd(lon, lat) for lat, lon in points]
    corners = [points[i] for i in hull_indices(xy)]
    polygon = WGS84.Polygon()
    for lat, lon in corners:
        polygon.AddPoint(lat, lon)
    _, _, area = polygon.Compute(False, True)
    return abs(area) / 1e6


def nearest_share(points, share):
    lat0, lon0 = mean_centre(points)
    distances = [(WGS84.Inverse(lat0, lon0, lat, lon)["s12"], i) for i, (lat, lon) in enumerate(points)]
    distances.sort()
    keep = math.ceil(len(points) * share - 1e-9)
    return [points[i] for _, i in distances[:keep]]


def walk(seed, lat, lon, steps, step_km):
    """A random walk pulled back to its start, in signed degrees."""
    rng = random.Random(seed)
    out = []
    lat0, lon0 = lat, lon
    for _ in range(steps):
        dlat = rng.gauss(0, step_km) / 111.2 - 0.05 * (lat - lat0)
        dlon = rng.gauss(0, step_km) / (111.2 * math.cos(math.radians(lat))) - 0.05 * (lon - lon0)
        lat = max(-89.9, min(89.9, lat + dlat))
        lon = lon + dlon
        out.append((quantize(lat), quantize(wrap(lon))))
    return out


def seasons():
    result = []
    # Across 180 degrees at 66 N: 179.5 E to 179.5 W and back.
    rng = random.Random(7)
    points = []
    for i in range(240):
        lon = 179.5 + (i % 60) / 59.0 * 1.0 + rng.uniform(-0.02, 0.02)
        lat = 66.0 + 0.1 * math.sin(i / 7.0) + rng.uniform(-0.01, 0.01)
        points.append((quantize(lat), quantize(wrap(lon))))
    result.append(("antimeridian_66n", points))
    # 65 N over the boundary of UTM zones 34 and 35 (24 E).
    result.append(("two_zones_65n", walk(11, 65.0, 24.0, 400, 6.0)))
    # The southern hemisphere, east: near Sydney.
    result.append(("south_east_34s", walk(21, -33.9, 151.2, 300, 2.0)))
    # The southern hemisphere, west: Patagonia.
    result.append(("south_west_50s", walk(31, -50.5, -72.0, 300, 3.0)))
    # A range 40 degrees wide: a migration from 40 N 120 W to 55 N 80 W.
    rng = random.Random(41)
    points = []
    for i in range(200):
        t = i / 199.0
        lat = 40.0 + 15.0 * t + rng.uniform(-2.0, 2.0)
        lon = -120.0 + 40.0 * t + rng.uniform(-1.0, 1.0)
        points.append((quantize(lat), quantize(lon)))
    result.append(("wide_40deg", points))
    # Near the pole.
    result.append(("polar_84n", walk(51, 84.0, -40.0, 300, 4.0)))
    return result


def write_seasons():
    lines = ["# name count distance_km mcp100_km2 mcp95_km2, then one 'lat lon' line per fix",
             "# made by make_references.py with GeographicLib and PROJ"]
    for name, points in seasons():
        distance = sum(WGS84.Inverse(a[0], a[1], b[0], b[1])["s12"] for a, b in zip(points, points[1:])) / 1000
        mcp100 = mcp_area_km2(points)
        mcp95 = mcp_area_km2(nearest_share(points, 0.95))
        lines.append("season %s %d %.6f %.6f %.6f" % (name, len(points), distance, mcp100, mcp95))
        lines.extend("%.10f %.10f" % p for p in points)
    with open(os.path.join(HERE, "seasons.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


ZONES = ["America/Denver", "America/New_York", "America/St_Johns", "Europe/Berlin", "Europe/London",
         "Australia/Sydney", "Australia/Adelaide", "Australia/Lord_Howe", "America/Santiago", "Pacific/Auckland",
         "Asia/Kolkata", "Africa/Johannesburg"]
INSTANTS = [(2040, 1, 15, 12), (2040, 7, 15, 12), (2061, 3, 20, 18), (2061, 10, 5, 3), (2099, 6, 30, 23),
            (2099, 12, 31, 23)]


def write_zones():
    lines = ["# zone utc local offset_minutes abbreviation  (Python zoneinfo)"]
    for name in ZONES:
        zone = zoneinfo.ZoneInfo(name)
        for y, mo, d, h in INSTANTS:
            utc = datetime.datetime(y, mo, d, h, 41, 17, tzinfo=datetime.timezone.utc)
            local = utc.astimezone(zone)
            offset = int(local.utcoffset().total_seconds() // 60)
            lines.append("%s %s %s %d %s" % (name, utc.strftime("%Y-%m-%dT%H:%M:%S"), local.strftime("%Y-%m-%dT%H:%M:%S"),
                                            offset, local.tzname()))
    with open(os.path.join(HERE, "zones.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


def bits(data, start, count):
    value = int.from_bytes(data[:10], "big")
    return (value >> (80 - start - count)) & ((1 << count) - 1)


def decode(block):
    """One 32-byte block, from the file layout."""
    hour, minute = bits(block, 0, 5), bits(block, 5, 6)
    lat = bits(block, 11, 7) + (bits(block, 18, 6) * 10000 + bits(block, 24, 14)) / 10000 / 60
    lon = bits(block, 38, 8) + (bits(block, 46, 6) * 10000 + bits(block, 52, 14)) / 10000 / 60
    day, month = bits(block, 66, 5), bits(block, 71, 4)
    raw = (bits(block, 77, 3) << 12) | ((block[16] & 0x0F) << 8) | block[17]
    second, year = block[18], block[24]
    north, east = block[28] & 0x80, block[28] & 0x40
    check_good = (sum(block[10:14]) & 0xFF) == block[14]
    altitude = None if raw == 32767 else (-raw if raw < 201 else raw - 201)
    try:
        when = datetime.datetime(2000 + year, month, day, hour, minute, second).strftime("%Y-%m-%dT%H:%M:%SZ")
        if year > 99:
            when = "-"
    except ValueError:
        when = "-"
    lat = lat if north else -lat
    lon = lon if east else -lon
    return lat, lon, when, altitude, check_good


def write_blocks():
    transformer_cache = {}
    lines = ["# file block lat lon utc altitude check utm_zone utm_easting utm_northing  (this decoder; UTM by PROJ)"]
    for name in sorted(os.listdir(GPS)):
        if not name.endswith(".gps"):
            continue
        data = open(os.path.join(GPS, name), "rb").read()
        pointer = int.from_bytes(data[1:4], "big")
        count = min((pointer - 64) // 32, (len(data) - 64) // 32)
        for i in range(count):
            lat, lon, when, altitude, good = decode(data[64 + 32 * i:96 + 32 * i])
            positioned = abs(lat) <= 90 and abs(lon) <= 180 and not (lat == 0 and lon == 0)
            utm = "- - -"
            if positioned:
                zone = min(60, int((lon + 180) // 6) + 1)
                key = (zone, lat < 0)
                if key not in transformer_cache:
                    transformer_cache[key] = pyproj.Transformer.from_crs(
                        "EPSG:4326", "EPSG:%d" % ((32700 if lat < 0 else 32600) + zone), always_xy=True)
                e, n = transformer_cache[key].transform(lon, lat)
                utm = "%d %.3f %.3f" % (zone, e, n)
            lines.append("%s %d %.8f %.8f %s %s %s %s" % (name, i + 1, lat, lon, when,
                                                            "-" if altitude is None else altitude,
                                                            "good" if good else "bad",
                                                            utm if positioned else "- - -"))
    with open(os.path.join(HERE, "blocks.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    write_seasons()
    write_zones()
    write_blocks()
