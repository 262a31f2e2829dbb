// Tetrahedral meshes over colour pairs: the source colours are the vertices,
// a colour inside the mesh maps by barycentric blending of the four targets
// of its tetrahedron, a colour outside by extrapolation along the outward
// directions of the hull vertices. R, G, B are the x, y, z axes.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "images/image128.h"
#include "matching/colour_pairs.h"

namespace kromel {

using TTrianglePoints = std::array<int32_t, 3>;
using TTetrahedronPoints = std::array<int32_t, 4>;
using TTetrahedronFaceExternal = std::array<bool, 4>;

// Faces: 0 = (P0, P1, P2), 1 = (P0, P1, P3), 2 = (P0, P2, P3), 3 = (P1, P2, P3).
struct TTetrahedron {
  TTetrahedronPoints Points{-1, -1, -1, -1};  // ascending; Points[0] = -1: empty slot
  TTetrahedronFaceExternal FaceExternal{};
  bool IsExternal = false;
  bool Visible = false;
  float MaxR = 0, MaxG = 0, MaxB = 0;
  float MinR = 0, MinG = 0, MinB = 0;
};

struct TTetrahedralBody;

// A pair is valid while its source alpha is above 0. The record owns the two
// images (released by Done); filled slots are the first NumTetrahedra. A
// build also leaves Body, the Delaunay mesh of the pairs inside a box whose
// corners carry the pairs' least-squares matrix: evaluation walks it, and
// Tetrahedra hold its cells made of pairs only.
struct TTetrahedralization {
  std::vector<TTetrahedron> Tetrahedra;
  int32_t NumTetrahedra = 0;
  std::vector<TBGRAPixel128> VertexDirections;  // alpha: external faces at the vertex
  std::vector<TBGRAPixel128> VertexSlopes;      // alpha: 1 when set
  TBGRAPixel128 Centre{};
  TBGRAPixel128 BodyCentre{};
  float Radius = 0;  // 0 or below: no bounding-sphere test
  TImage128 SrcColors;
  TImage128 DstColors;
  TBooleanArray NeutralFlags;
  TBooleanArray EnclosedFlags;
  float Tolerance = 0;
  TTrianglePoints LastFace{-1, -1, -1};
  TBGRAPixel128 LastHit0{}, LastHit1{}, LastHit2{};
  TBGRAPixel128 LastExtrapolated{};
  int32_t LastTetrahedron = -1;
  int32_t LastExternalTetrahedron = -1;
  TBooleanArray UsedFlags;
  std::shared_ptr<TTetrahedralBody> Body;

  void Init();
  // Copies the pairs (N of them); slots grow as tetrahedra are made. Flags
  // with fewer than 3 True entries (or missing entries) count as none.
  void SetData(const TImage128& Src, const TImage128& Dst, const TBooleanArray& Flags);
  void Done();
  // Pair clean-up on the held lists.
  void DropLowSaturation(float Fraction);
  void MergeClosePairs(bool FlaggedOnly, float Distance);

  int32_t PairCount() const { return SrcColors.Data ? SrcColors.Size : 0; }
  const TBGRAPixel128& Src(int32_t I) const { return SrcColors.Data[I]; }
  const TBGRAPixel128& Dst(int32_t I) const { return DstColors.Data[I]; }
};

bool CalcColorBodyCenter(TTetrahedralization& T);

// Faces and indexes.
bool GetTetrahedronFace(TTrianglePoints& Tri, const TTetrahedronPoints& Points, int32_t F,
                        int32_t& Opposite);
void SortTetrahedronPoints(TTetrahedronPoints& Points);
std::string TetrahedronPointsToText(const TTetrahedronPoints& Points);
std::string TrianglePointsToText(const TTrianglePoints& Tri);
bool TetrahedronHasFace(const TTetrahedronPoints& Points, const TTrianglePoints& Tri);
bool CommonFace(const TTetrahedronPoints& A, const TTetrahedronPoints& B,
                std::array<int32_t, 4>& Tri);
void CalcTetrahedronBounds(TTetrahedron& Tet, const TImage128& Src);

// Geometry on the colour channels, in doubles.
double Det3(const TBGRAPixel128& A, const TBGRAPixel128& B, const TBGRAPixel128& C);
// Rows (R, G, B, 1): six times the signed volume.
double Det4(const TBGRAPixel128& P0, const TBGRAPixel128& P1, const TBGRAPixel128& P2,
            const TBGRAPixel128& P3);
double TetrahedronVolume(const TBGRAPixel128& P0, const TBGRAPixel128& P1,
                         const TBGRAPixel128& P2, const TBGRAPixel128& P3);
// -1, 0 (within 0.001 of the plane, or a degenerate triangle) or 1.
int32_t PlaneSide(const TBGRAPixel128& V0, const TBGRAPixel128& V1, const TBGRAPixel128& V2,
                  const TBGRAPixel128& P);
// Points on a face count as inside.
bool PointInTetrahedron(const TBGRAPixel128& P, const TBGRAPixel128& V0, const TBGRAPixel128& V1,
                        const TBGRAPixel128& V2, const TBGRAPixel128& V3);
// Distance: the smallest barycentric weight (0 and above inside).
bool ColorInsideTetrahedron(const TBGRAPixel128& P, const TBGRAPixel128& V0,
                            const TBGRAPixel128& V1, const TBGRAPixel128& V2,
                            const TBGRAPixel128& V3, float& Distance);
// Unclamped weights; a degenerate tetrahedron gives black (alpha kept).
void TetrahedronInterpolate(TBGRAPixel128& Result, const TBGRAPixel128& P,
                            const TBGRAPixel128& S0, const TBGRAPixel128& S1,
                            const TBGRAPixel128& S2, const TBGRAPixel128& S3,
                            const TBGRAPixel128& T0, const TBGRAPixel128& T1,
                            const TBGRAPixel128& T2, const TBGRAPixel128& T3);
// An end on the plane does not cross.
bool SegmentCrossesTriangle(const TBGRAPixel128& T0, const TBGRAPixel128& T1,
                            const TBGRAPixel128& T2, const TBGRAPixel128& L0,
                            const TBGRAPixel128& L1);
bool TetrahedraIntersect(const TTetrahedron& A, const TTetrahedron& B, const TImage128& Src);
float TriangleArea(const TBGRAPixel128& A, const TBGRAPixel128& B, const TBGRAPixel128& C);
void LineTriangleIntersectionP(TBGRAPixel128& X, const TBGRAPixel128& T0,
                               const TBGRAPixel128& T1, const TBGRAPixel128& T2,
                               const TBGRAPixel128& L0, const TBGRAPixel128& L1);

// (|D1| + |D2| + |D3| + |D4|) / |D0|: 1 inside, above 1 outside; 1e7 for a
// degenerate tetrahedron.
float TetrahedronContainmentRatio(const TBGRAPixel128& P, const TBGRAPixel128& V0,
                                  const TBGRAPixel128& V1, const TBGRAPixel128& V2,
                                  const TBGRAPixel128& V3);
// Filled slot with the smallest containment ratio (lowest slot on ties), -1
// when none.
int32_t FindBestTetrahedronByRatio(const TBGRAPixel128& P, const TImage128& Src,
                                   const TTetrahedralization& T);

// Lowest filled slot holding P, or -1.
int32_t FindTetrahedronInTetrahedralization(const TBGRAPixel128& P, const TImage128& Src,
                                            const TTetrahedralization& T);

// Insertion.
void AddTetraheadron(TTetrahedralization& T, int32_t P0, int32_t P1, int32_t P2, int32_t P3);
bool TryAddFaceTetrahedron(TTetrahedralization& T, int32_t A, int32_t B, int32_t C, int32_t V);
bool VertexIsEnclosed(const TTetrahedralization& T, int32_t V);
void UpdateEnclosedVertices(TTetrahedralization& T);
bool AddVertex(TTetrahedralization& T, int32_t V, bool Report);

// The largest pair count a build accepts.
constexpr int32_t MaxTetrahedralizationPairs = 200000;

// Building, hull and evaluation. The viewer switches are accepted and
// ignored here (no window at this level). The build inserts the pairs into
// a Delaunay mesh (expected O(N log N) with exact predicates); coinciding
// sources keep the first pair. False, with a message, for fewer than 4
// usable pairs, flat data, more than MaxTetrahedralizationPairs or any
// failure on the way.
bool CalcTetrahedralization(TTetrahedralization& T, bool ReportFailures, bool ShowResult,
                            bool ShowSteps, const TProgressCallback& Progress, float Tolerance);
void PrepareTetrahedralization(TTetrahedralization& T);
void MarkExternalTetrahedra(TTetrahedralization& T, bool Shrink);
bool CalcNormals(TTetrahedralization& T);
void CalcNeutralAtLuminance(TTetrahedralization& T, TBGRAPixel128& N, float L);
void InterpolateAt(TTetrahedralization& T, TBGRAPixel128& Result, const TBGRAPixel128& P,
                   int32_t Tet);
int32_t FindExtrapolatedTetrahedron(TTetrahedralization& T, const TBGRAPixel128& P,
                                    TTrianglePoints& Face, double& D0, double& D1, double& D2,
                                    double& W0, double& W1, double& W2);
// A vertex ray parallel to the face (a vertex without a direction) misses.
bool RayHitsExternalFace(const TBGRAPixel128& P, const TBGRAPixel128& S0,
                         const TBGRAPixel128& S1, const TBGRAPixel128& S2,
                         const TBGRAPixel128& E0, const TBGRAPixel128& E1,
                         const TBGRAPixel128& E2, TBGRAPixel128& Q0, TBGRAPixel128& Q1,
                         TBGRAPixel128& Q2, double& W0, double& W1, double& W2);
// Q's alpha: the line parameter; a line parallel to the plane gives zero.
void PlaneLineIntersection(TBGRAPixel128& Q, const TBGRAPixel128& P, const TBGRAPixel128& N,
                           const TBGRAPixel128& S, const TBGRAPixel128& A);
// A degenerate triangle gives weights of 1/3.
bool PointInTriangleByAreas(const TBGRAPixel128& Q0, const TBGRAPixel128& Q1,
                            const TBGRAPixel128& Q2, const TBGRAPixel128& P, double& W0,
                            double& W1, double& W2);
// Result's alpha: 0 inside, the extrapolation distance (0..1) outside, -1
// after a reported failure. After a build the body answers: inside the
// pairs' hull the barycentric blend (not clamped), outside it the blend
// towards the box corners' matrix values, clamped, with alpha the corners'
// share (black with NoExtrapolation).
void TetrahedralizationCalcColor(TTetrahedralization& T, TBGRAPixel128& Result,
                                 const TBGRAPixel128& C, bool Report, bool ShowViewer,
                                 bool NoExtrapolation);

}  // namespace kromel
