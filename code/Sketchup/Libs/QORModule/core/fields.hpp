// Each class's fields, listed once.  A list drives both the accessors the
// registrar defines (readable and writable, in this order) and the interned
// "@name" IDs, which live in one namespace per class: iv::Room::number,
// iv::RoomFace::normal.  A name two classes share (text, normal, material) has
// one entry per class, since each class has its own field.
#pragma once

// QORTA_Room accessors.
#define QOR_ROOM_FIELDS(X)                                                          \
  X(edifice) X(sketchupFaces) X(roomFaces) X(text) X(textCharacters) X(centroid)    \
  X(radius) X(number) X(level) X(levelNumber) X(levelText) X(totalFloorArea)        \
  X(totalWallArea) X(totalGlazedArea) X(exteriorOuterShell) X(maximumHeight)        \
  X(selected) X(edificeIndex) X(roomKey) X(intermediatePlanes) X(ownerGroup)

// QORTA_RoomFace accessors.
#define QOR_ROOMFACE_FIELDS(X)                                                      \
  X(isWindow) X(isDoorFrame) X(isWindowFrame) X(text) X(room) X(face)               \
  X(faceVertices) X(faceVertexPoints) X(facePolygon) X(doors) X(doorFrames)         \
  X(windows) X(windowFrames) X(type) X(verticalAngle) X(normal) X(height)           \
  X(leastZ) X(greatestZ) X(spanZ) X(reference) X(roomFaceNumber) X(oppositeFace)   \
  X(normalDirectionIn) X(outerShellPlane) X(outerShellRoomFace)                     \
  X(oppositeRoomFaces) X(outerShellType) X(constructionLines)                       \
  X(internallyConstructed) X(blind) X(constructedOpenings) X(material)              \
  X(back_material) X(selected) X(selected_attr) X(isExternal) X(simpleFaces)        \
  X(isOpening) X(innerLoopPolygons) X(crossFaceCount) X(outerShellPlanes)          \
  X(missingFaces) X(intermediatePlanes) X(outerShellFaces) X(outerShellRoomFaces)   \
  X(outerShellAdjacentFaces) X(asOppositeRoomFaceReference) X(polygon)              \
  X(projectedDoors) X(reverseCompare) X(incursionFace) X(zOffset)

// QORTA_FaceDump accessors.
#define QOR_FACEDUMP_FIELDS(X)                                                      \
  X(facePoints) X(loops) X(normal) X(material) X(back_material) X(alpha)            \
  X(back_alpha) X(attributeDictionaries) X(ownerGroupId) X(faceId)

// QORTA_EdgeDump accessors.
#define QOR_EDGEDUMP_FIELDS(X)                                                      \
  X(edgeId) X(soft) X(visible) X(smooth) X(edgeStart) X(edgeEnd)

// State kept without an accessor.
#define QOR_ROOM_STATE(X) X(totalFaceArea)
#define QOR_ROOMFACE_STATE(X) X(isBlind) X(glazedArea) X(opacity)

// Fields of the scripts' objects that the extension reads: opening and door
// objects, the building object, pseudo faces.
#define QOR_SCRIPT_FIELDS(X)                                                        \
  X(vertices) X(isHole) X(area) X(type) X(face) X(centroid) X(rooms) X(doors)       \
  X(vertexPoints) X(plane) X(door)
