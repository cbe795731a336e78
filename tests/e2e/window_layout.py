# SPDX-License-Identifier: MIT
"""Where the window's controls and lamps are, in logical pixels of the client
area (twips / 15), and the colours they show."""

TEAL = (0, 128, 128)
LIGHT_YELLOW = (255, 255, 224)
GREEN_FACE = (192, 255, 192)
ORANGE_FACE = (255, 224, 192)
RED = (255, 0, 0)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
VALUE_TEXT = (192, 0, 0)
CONTACT = (40, 40, 40)  # the dark socket drawn round every pin lamp


def twips(left, top, width, height):
    return (left // 15, top // 15, width // 15, height // 15)


COMMAND1 = twips(90, 330, 2955, 405)
LBL_VALUE = twips(3540, 330, 1275, 405)
# The list shows whole rows only: of its place it keeps the top and width, and
# as much height as five rows of 15 pixels and its frame take.
LIST1 = twips(5700, 510, 915, 1260)[:3] + (5 * 15 + 2,)
COMMAND2 = twips(90, 1950, 2955, 435)
TEXT1 = twips(3540, 1950, 1275, 375)
COMMAND3 = twips(90, 3150, 2955, 435)
TEXT2 = twips(3540, 3120, 1275, 405)
LABEL5 = twips(120, 3840, 3435, 255)
PICTURE1 = twips(120, 4170, 3315, 825)
IMAGE1 = twips(4080, 4200, 1560, 855)

BIT_LAMP_LEFTS = [210, 570, 870, 1200, 1590, 1920, 2250, 2610]
BIT_LAMPS = [twips(left, 1140, 135, 135) for left in BIT_LAMP_LEFTS]  # lblBin(1..8)

PICTURE_BORDER = 2  # sunken single border of the picture box
LAMP_SIZE = 6


def pin_lamp(pin):
    """Top-left and size of the lamp over a pin (1 to 25), in client pixels."""
    if pin <= 13:
        x, y = 34 + 12 * (pin - 1), 14
    else:
        x, y = 40 + 12 * (pin - 14), 32
    return (PICTURE1[0] + PICTURE_BORDER + x, PICTURE1[1] + PICTURE_BORDER + y, LAMP_SIZE,
            LAMP_SIZE)


# The "Verktyg" title in the menu bar, from the window's top-left corner.
VERKTYG_MENU = (114, 9)

# Spots of bare window background, away from every control and label.
TEAL_SPOTS = [(2, 2), (350, 100), (468, 344), (230, 60), (250, 170), (250, 300), (455, 270)]


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def start_up_pins():
    return {pin: (WHITE if pin <= 17 else BLACK) for pin in range(1, 26)}
