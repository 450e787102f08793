#!/usr/bin/env python3
"""Writes the SVG sources of the annotation toolbar's pictures into
component/image/toolbar/ (run once; the SVGs are kept in the tree)."""
import os

OUT = os.path.join(os.path.dirname(__file__), "..", "component", "image", "toolbar")
W = "#ffffff"
DIM = "#6a6e73"


def svg(size, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
            f'viewBox="0 0 {size} {size}">{body}</svg>\n')


def icon(body):
    return svg(24, body)


S = f'fill="none" stroke="{W}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"'
F = f'fill="{W}"'
TOOLS = {
    "tool_move": f'<path {S} d="M12 2v20M2 12h20M12 2l-3 3M12 2l3 3M12 22l-3-3M12 22l3-3M2 12l3-3M2 12l3 3M22 12l-3-3M22 12l-3 3"/>',
    "tool_pen": f'<path {S} d="M3 21l3-1 12-12-2-2L4 18zM16 6l2 2"/>',
    "tool_marker": f'<path {S} d="M5 19l4-1 10-10-3-3L6 15z"/><rect x="3" y="20" width="10" height="2" {F} opacity="0.6"/>',
    "tool_line": f'<path {S} d="M4 20L20 4"/>',
    "tool_arrow": f'<path {S} d="M4 20L20 4M20 4h-8M20 4v8"/>',
    "tool_text": f'<path {S} d="M5 5h14M12 5v15M9 20h6"/>',
    "tool_ellipse": f'<ellipse cx="12" cy="12" rx="9" ry="7" {S}/>',
    "tool_ellipse_command": f'<ellipse cx="12" cy="12" rx="9" ry="7" {F}/>',
    "tool_rect": f'<rect x="3" y="5" width="18" height="14" rx="1" {S}/>',
    "tool_rect_command": f'<rect x="3" y="5" width="18" height="14" rx="1" {F}/>',
    "tool_counter": f'<circle cx="12" cy="12" r="9" {S}/><path {S} d="M10 9l2-1v8"/>',
    "tool_blur": (f'<circle cx="7" cy="7" r="2.5" {F} opacity="0.9"/><circle cx="17" cy="7" r="2.5" {F} opacity="0.6"/>'
                  f'<circle cx="7" cy="17" r="2.5" {F} opacity="0.6"/><circle cx="17" cy="17" r="2.5" {F} opacity="0.3"/>'),
    "tool_blackout": f'<rect x="3" y="5" width="18" height="14" rx="1" {S}/><rect x="7" y="9" width="10" height="6" {F}/>',
    "accept": f'<path fill="none" stroke="{W}" stroke-width="3" stroke-linecap="round" stroke-linejoin="round" d="M4 12l5 5 11-11"/>',
    "menu_arrow": f'<path {F} d="M6 9h12l-6 7z"/>',
    "drop_panel_down": f'<path {S} d="M6 9l6 6 6-6"/>',
    "drop_panel_up": f'<path {S} d="M6 15l6-6 6 6"/>',
    "undo": f'<path fill="none" stroke="{DIM}" stroke-width="2" stroke-linecap="round" d="M9 7H15a5 5 0 010 10H8M9 7l-4 0M9 7L6 4M9 7L6 10"/>',
    "undo_active": f'<path {S} d="M9 7H15a5 5 0 010 10H8M9 7L6 4M9 7L6 10"/>',
    "redo": f'<path fill="none" stroke="{DIM}" stroke-width="2" stroke-linecap="round" d="M15 7H9a5 5 0 000 10h7M15 7l3-3M15 7l3 3"/>',
    "redo_active": f'<path {S} d="M15 7H9a5 5 0 000 10h7M15 7l3-3M15 7l3 3"/>',
    "menu_public": f'<path {S} d="M12 16V4M7 9l5-5 5 5M4 20h16"/>',
    "menu_save": f'<path {S} d="M5 3h11l3 3v15H5zM8 3v6h8V3M8 21v-7h8v7"/>',
    "menu_mail": f'<rect x="3" y="6" width="18" height="12" rx="1" {S}/><path {S} d="M3 7l9 6 9-6"/>',
}


def slider(value):
    # Track of the width slider with the filled part up to the value.
    filled = (value - 2) * 4 + 7
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="105" height="12" viewBox="0 0 105 12">'
            '<rect x="1" y="4" width="103" height="4" rx="2" fill="#5a5d61"/>'
            f'<rect x="1" y="4" width="{filled}" height="4" rx="2" fill="#4ba3cc"/></svg>\n')


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, body in TOOLS.items():
        with open(os.path.join(OUT, name + ".svg"), "w") as f:
            f.write(icon(body))
    for v in range(2, 27):
        with open(os.path.join(OUT, f"slider_background_{v}.svg"), "w") as f:
            f.write(slider(v))


if __name__ == "__main__":
    main()
