#pragma once
// Every drawable item class, and the context they draw through.

#include "ORV.FMX.Types.h"
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
#include "TPLNArrowLine.h"
#include "TPLNDim.h"
#include "TPLNText.h"
#include "TPLNParagraph.h"
