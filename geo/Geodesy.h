#pragma once
// The geodesy core in one include:
//   Ellipsoid.h           Ellipsoid, the one flattening rule (flatteningFromField)
//   Datum.h               Geodetic, Ecef, geodeticToEcef/ecefToGeodetic, Helmert7, DatumBlock,
//                         DatumTransformation
//   TransverseMercator.h  TmParameters, GridPoint, LatLon, TransverseMercator (forward, inverse,
//                         scale factor, grid convergence and its sign convention)
//   LambertConic.h        LambertConic, its status bits and set-ups, lambertGridConvergence
//   GeodesyText.h         the text interface (ConvertCoordinates, ConvertLatLonToGrid, FormatBLH, ...)
//   GeodesySessionLog.h   the day's geodesy log
// Nothing here uses Qt; angles are degrees except in LambertConic (radians).
#include "geo/Datum.h"
#include "geo/Ellipsoid.h"
#include "geo/GeodesyText.h"
#include "geo/LambertConic.h"
#include "geo/TransverseMercator.h"
