// The root of the program's class tree: lists that own objects free them
// through this virtual destructor.
#ifndef VX_BASE_OBJECT_H_
#define VX_BASE_OBJECT_H_

namespace vx {

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  TObject(TObject&&) = default;
  TObject& operator=(TObject&&) = default;
};

}  // namespace vx

#endif  // VX_BASE_OBJECT_H_
