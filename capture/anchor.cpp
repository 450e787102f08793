// placeholder until the first source of this folder lands
namespace pryx { int captureAnchor = 0; }
