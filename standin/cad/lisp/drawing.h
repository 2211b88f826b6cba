#pragma once
// The drawing of the stand-in CAD: the layer table, the entities in creation order, the system
// variables the scripts touch, the current user coordinate system and the view. Plain data with
// the operations the command processor and the evaluator need; no evaluator types here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace standin::lisp {

struct Point3 {
  double x = 0, y = 0, z = 0;
};

struct Layer {
  std::string name;    // UTF-8, as created
  std::int32_t flags;  // group 70: bit 1 = frozen
};

inline constexpr std::int32_t kLayerFrozen = 1;

struct Entity {
  std::uint32_t layer;     // index into the layer table
  Point3 point;            // world coordinates
  std::int32_t trueColor;  // group 420, -1 when the entity has none
};

// The user coordinate system: its origin and axes in world coordinates.
struct Ucs {
  Point3 origin{0, 0, 0};
  Point3 xAxis{1, 0, 0};
  Point3 yAxis{0, 1, 0};
  Point3 zAxis() const;
  bool isWorld() const;
  Point3 toWorld(const Point3& p) const;
  Point3 fromWorld(const Point3& p) const;
  // The system through three points (origin, a point on +X, a point in the XY plane with +Y);
  // nullopt when the points do not span a plane.
  static std::optional<Ucs> fromThreePoints(const Point3& o, const Point3& px, const Point3& py);
};

// The visible part of the drawing: centre and height in world units (a top view).
struct View {
  double centerX = 210, centerY = 148.5, height = 297;
};

using VarValue = std::variant<std::int32_t, double, std::string, Point3>;

enum class SetVarResult { Ok, Unknown, ReadOnly, BadType, BadValue };

class Drawing {
 public:
  Drawing();

  // Layers (names compare without regard to ASCII case).
  const std::vector<Layer>& layers() const { return layers_; }
  std::optional<std::uint32_t> findLayer(std::string_view name) const;
  std::uint32_t makeLayer(std::string_view name);  // finds or creates
  std::uint32_t currentLayer() const { return current_; }
  void setCurrentLayer(std::uint32_t index) { current_ = index; }
  void setLayerFlags(std::uint32_t index, std::int32_t flags) { layers_[index].flags = flags; }

  // Entities in creation order.
  const std::vector<Entity>& entities() const { return entities_; }
  void addPoint(std::uint32_t layer, const Point3& p, std::int32_t trueColor);

  Ucs ucs;
  View view;
  // Width of the view divided by its height, set by whoever shows the drawing.
  double aspect = 4.0 / 3.0;
  std::string drawingName = "Drawing1.dwg";
  std::int32_t cmdecho = 1;
  std::int32_t osmode = 4133;
  std::int32_t pdmode = 0;
  double pdsize = 0;
  std::int32_t useri1 = 0;
  int zoomExtentsCount = 0;  // how often the view was fitted to the drawing
  // The trusted locations of a CAD with secure loading (TRUSTEDPATHS, folders separated by ";");
  // nullopt for a CAD without it, which loads from anywhere without asking.
  std::optional<std::string> trustedPaths;
  int untrustedLoads = 0;  // files loaded from outside the trusted locations

  void zoomExtents();

  // System variables by name (without regard to case).
  std::optional<VarValue> getVar(std::string_view name) const;
  SetVarResult setVar(std::string_view name, const VarValue& value);
  // The variables the dump lists, in a fixed order.
  static const std::vector<std::string_view>& dumpedVariables();

 private:
  std::vector<Layer> layers_;
  std::uint32_t current_ = 0;
  std::vector<Entity> entities_;
};

bool sameName(std::string_view a, std::string_view b);  // ASCII case folded
std::string upperAscii(std::string_view s);

}  // namespace standin::lisp
