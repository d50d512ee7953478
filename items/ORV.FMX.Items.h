#pragma once
// Every drawable item class.

#include "TPLNPoint.h"
#include "TPLNLine.h"
#include "TPLNPolyLine.h"
#include "TPLNPolygon.h"
#include "TPLNRectangle.h"
#include "TPLNCircle.h"
#include "TPLNEllipse.h"
#include "TPLNArc.h"
#include "TPLNSector.h"
#include "TPLNBezier.h"
